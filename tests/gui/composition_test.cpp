// The program as BuildProgram puts it together.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/commands/command_table.h"
#include "app/composition.h"

namespace {

TEST(Composition, EveryCommandOfTheTableHasAHandler) {
    AppServices services;
    const std::unique_ptr<Program> program = BuildProgram(services);
    for (const CommandRow& row : CommandTable())
        EXPECT_TRUE(program->Commands().HasHandler(row.Id)) << std::string(row.Name);
}

}  // namespace
