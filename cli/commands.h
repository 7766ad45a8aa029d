#pragma once

#include <string>
#include <vector>

namespace quillet {

// Each subcommand takes the words after its name and returns the exit code.
int runBuildCommand(const std::vector<std::string>& args);
int runHtmlCommand(const std::vector<std::string>& args);
int runImportCommand(const std::vector<std::string>& args);
int runInfoCommand(const std::vector<std::string>& args);
int runInstallCommand(const std::vector<std::string>& args);
int runSettingsCommand(const std::vector<std::string>& args);
int runUsersCommand(const std::vector<std::string>& args);

}  // namespace quillet
