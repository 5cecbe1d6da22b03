// The sweep: a failed puzzle is swept off the field by a wall of Black cubes.
#pragma once

void StartSweep();
