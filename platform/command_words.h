// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a command line is split into its program and arguments.

#include <string>
#include <vector>

// The words of a command line: split at blanks, except inside double quotes, which group a word
// with its blanks ("/opt/my engines/sf" --uci is two words); inside quotes \" and \\ stand for
// a quote and a backslash. A quote left open runs to the end. No other shell syntax.
std::vector<std::string> commandWords(const std::string& command);
