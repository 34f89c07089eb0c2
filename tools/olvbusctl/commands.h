// The commands of olvbusctl: one per family of the library's exports. A
// command line is checked completely (name, number and range of every
// argument) before anything runs, so a script with a typo on its last line
// never leaves a board half set up.
#ifndef OLVBUSCTL_COMMANDS_H
#define OLVBUSCTL_COMMANDS_H

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "olvbus_api.h"

namespace olvbusctl {

struct CommandForm;

struct ParsedCommand {
    const CommandForm* form = nullptr;
    std::vector<std::int64_t> values;  // one per argument given, keywords as their index
    std::vector<std::string> words;    // the arguments as typed
};

// What a session remembers between commands, for its messages and the
// timing diagram's labels.
struct Session {
    const OlvbusApi* api = nullptr;
    std::ostream* out = nullptr;
    int selectedBase = 0;      // 0: no successful select yet
    std::string pinLabel[18];  // by connector pin: the strobe assigned to it
};

// Empty when the words make a valid command; otherwise the message, naming
// the offending word.
std::string ParseCommand(const std::vector<std::string>& words, ParsedCommand& command);

// Runs a parsed command. Empty on success; otherwise why the cycle or check
// failed.
std::string RunCommand(const ParsedCommand& command, Session& session);

// Help: the list of commands, or one command's usage and description.
void PrintCommandList(std::ostream& out);
bool PrintCommandHelp(const std::string& name, std::ostream& out);

}  // namespace olvbusctl

#endif  // OLVBUSCTL_COMMANDS_H
