#pragma once
// The --help texts of trovel-cli and of each of its commands.

#include <string>
#include <string_view>

namespace trovel {

std::string cliHelpText();
// Empty for a command trovel-cli does not have.
std::string commandHelpText(std::string_view command);

}  // namespace trovel
