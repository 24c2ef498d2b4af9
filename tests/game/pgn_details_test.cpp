// SPDX-License-Identifier: GPL-3.0-or-later
// The load screen's line of details for PGN games with full, missing, odd and huge tags, at
// every width.

#include <gtest/gtest.h>

#include <string>

#include "game/pgn_details.h"
#include "game/pgn_reader.h"

namespace {

// The game of a PGN text: its tags, then `halfMoves` moves (the reader keeps them unchecked).
PgnGame gameOf(const std::string& tags, size_t halfMoves, const std::string& result = "") {
    std::string text = tags + "\n\n";
    for (size_t i = 0; i < halfMoves; ++i)
        text += "e4 ";
    text += result;
    return read_pgn_games(text.data(), text.size()).at(0);
}

const PgnGame MORPHY = gameOf("[Event \"Paris\"][Site \"Paris FRA\"][Date \"1858.??.??\"]"
                              "[White \"Morphy, Paul\"][Black \"Duke of Brunswick and Count "
                              "Isouard\"][Result \"1-0\"]",
                              33);

TEST(PgnDetails, KnownPartsInOrderUnknownOnesLeftOut) {
    const std::pair<PgnGame, const char*> cases[] = {
        {MORPHY, "Morphy, Paul - Duke of Brunswick and Count Isouard, Paris 1858, 1-0, 17 moves"},
        {gameOf("[White \"?\"][Black \"Anderssen\"][Event \"??\"][Site \"London ENG\"]"
                "[Date \"????.??.??\"][Result \"*\"]",
                0),
         "Anderssen (Black), London ENG"},
        {gameOf("[White \"Steinitz\"][Black \"\"][Event \"-\"][EventDate \"1886\"]", 2, "1/2-1/2"),
         "Steinitz (White), 1886, 1/2-1/2, 1 move"},
        {PgnGame{}, ""},
        // UTF-8 to Latin-1, a character beyond it, Latin-1 bytes as they are, blanks collapsed,
        // a year the event already names.
        {gameOf("[White \"R\xC3\xA9ti \t\x01 Richard\"][Black \" Capablanca\xE9 \xE2\x82\xAC \"]"
                "[Event \"New York 1924\"][Date \"1924.03.22\"]",
                4),
         "R\xE9ti Richard - Capablanca\xE9 ?, New York 1924, 2 moves"},
    };
    for (const auto& [game, line] : cases)
        EXPECT_EQ(pgn_details(game, 200), line);
}

TEST(PgnDetails, ShortensNamesFirstAndAlwaysFits) {
    EXPECT_EQ(pgn_details(MORPHY, 71),
              "Morphy - Duke of Brunswick and Count Isouard, Paris 1858, 1-0, 17 moves");
    EXPECT_EQ(pgn_details(MORPHY, 50), "Morphy - Duke of Bruns., Paris 1858, 1-0, 17 moves");
    EXPECT_EQ(pgn_details(MORPHY, 36), "Morphy - Duke of., Paris 1858, 1-0");

    const std::string huge = "\"" + std::string(300, 'W') + "\"]";
    const PgnGame games[] = {
        MORPHY,
        gameOf("[White " + huge + "[Black " + huge + "[Event " + huge + "[Date \"2000.01.01\"]",
               24447, "0-1"),
        gameOf("[White \"" + std::string(255, '\xC3') + "\"][Black \"\xE2\x82\"]", 1),
    };
    for (const PgnGame& game : games) {
        const std::string full = pgn_details(game, SIZE_MAX);
        for (size_t width = 0; width <= full.size() + 1; ++width) {
            const std::string line = pgn_details(game, width);
            ASSERT_LE(line.size(), width) << full;
            EXPECT_TRUE(width < full.size() || line == full) << line;
        }
    }
}

} // namespace
