// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/command_words.h"

#include <cctype>

std::vector<std::string> commandWords(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < command.size() &&
                       (command[i + 1] == '"' || command[i + 1] == '\\')) {
                word += command[++i];
            } else {
                word += c;
            }
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else if (c == '"') {
            quoted = inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}
