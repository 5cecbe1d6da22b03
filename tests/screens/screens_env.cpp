// The screen tests keep their settings and language choices in a store of
// their own, never in the player's.
#include "support/support_env.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ScreensEnvironment : public testing::Environment {
public:
    void SetUp() override { m_registry = std::make_unique<supporttest::FreshRegistry>(); }
    void TearDown() override { m_registry.reset(); }

private:
    std::unique_ptr<supporttest::FreshRegistry> m_registry;
};

[[maybe_unused]] testing::Environment* const g_env = testing::AddGlobalTestEnvironment(new ScreensEnvironment);

} // namespace
