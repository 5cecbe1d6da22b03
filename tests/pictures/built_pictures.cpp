// The generator's own drawing code, compiled into this test so that the
// tests can draw the pictures afresh and compare them with the resources.
#include "tools/pictures/pictures.cpp"
