// Every support test binary keeps its language choices in a store of its own,
// never in the folder that other test binaries share.
#include "support_env.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SupportEnvironment : public testing::Environment {
public:
    void SetUp() override { m_registry = std::make_unique<supporttest::FreshRegistry>(); }
    void TearDown() override { m_registry.reset(); }

private:
    std::unique_ptr<supporttest::FreshRegistry> m_registry;
};

[[maybe_unused]] testing::Environment* const g_env = testing::AddGlobalTestEnvironment(new SupportEnvironment);

} // namespace
