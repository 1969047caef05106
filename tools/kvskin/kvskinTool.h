// The skin author's tool: a table of subcommands, each in a file of its own (cmd_*.cpp), that
// register themselves; main dispatches by the first argument.
#pragma once

#include <ostream>
#include <string>
#include <vector>

struct TKvSkinCommand {
  const char* Name;    // "pack"
  const char* Usage;   // "pack DIR OUT.kvz"
  const char* Summary; // one line for the help text
  // Runs the command with the arguments after its name; returns the exit status.
  int (*Run)(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);
};

// Every registered command, in registration order.
std::vector<TKvSkinCommand>& KvSkinCommands();

// Registers a command at start-up: `static TKvSkinCommandRegistrar Reg{{"name", ...}};`.
struct TKvSkinCommandRegistrar {
  explicit TKvSkinCommandRegistrar(const TKvSkinCommand& Command) {
    KvSkinCommands().push_back(Command);
  }
};

// Runs the tool with the arguments after the program name; returns the exit status (0 done,
// 1 the command found problems or failed, 2 wrong usage).
int KvSkinMain(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);
