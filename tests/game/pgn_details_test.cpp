// The load screen's line of details for PGN games with full, missing, odd and huge tags, at
// every width.

#include <gtest/gtest.h>

#include <string>

#include "game/pgn_details.h"
#include "game/pgn_reader.h"

namespace {

PgnGame gameOf(std::vector<std::pair<std::string, std::string>> tags, size_t halfMoves,
               std::string result = "") {
    PgnGame game;
    game.tags = std::move(tags);
    game.moves.assign(halfMoves, "e4");
    game.result = std::move(result);
    return game;
}

const PgnGame MORPHY = gameOf({{"Event", "Paris"},
                               {"Site", "Paris FRA"},
                               {"Date", "1858.??.??"},
                               {"White", "Morphy, Paul"},
                               {"Black", "Duke of Brunswick and Count Isouard"},
                               {"Result", "1-0"}},
                              33);

TEST(PgnDetails, KnownPartsInOrderUnknownOnesLeftOut) {
    const struct {
        PgnGame game;
        const char* line;
    } cases[] = {
        {MORPHY, "Morphy, Paul - Duke of Brunswick and Count Isouard, Paris 1858, 1-0, 17 moves"},
        {gameOf({{"White", "?"},
                 {"Black", "Anderssen"},
                 {"Event", "??"},
                 {"Site", "London ENG"},
                 {"Date", "????.??.??"},
                 {"Result", "*"}},
                0),
         "Anderssen (Black), London ENG"},
        {gameOf({{"White", "Steinitz"}, {"Black", ""}, {"Event", "-"}, {"EventDate", "1886"}}, 2,
                "1/2-1/2"),
         "Steinitz (White), 1886, 1/2-1/2, 1 move"},
        {gameOf({}, 0), ""},
        // UTF-8 to Latin-1, a character beyond it, Latin-1 bytes as they are, blanks collapsed,
        // a year the event already names, a date that is no date.
        {gameOf({{"White", "R\xC3\xA9ti \t\r\n Richard"},
                 {"Black", " Capablanca\xE9 \xE2\x82\xAC "},
                 {"Event", "New York 1924"},
                 {"Date", "1924.03.22"}},
                4),
         "R\xE9ti Richard - Capablanca\xE9 ?, New York 1924, 2 moves"},
        {gameOf({{"White", "A"}, {"Black", "B"}, {"Event", "E"}, {"Date", "19x4.01.01"}}, 3),
         "A - B, E, 2 moves"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pgn_details(c.game, 200), c.line);
}

TEST(PgnDetails, ShortensNamesFirstAndAlwaysFits) {
    EXPECT_EQ(pgn_details(MORPHY, 71),
              "Morphy - Duke of Brunswick and Count Isouard, Paris 1858, 1-0, 17 moves");
    EXPECT_EQ(pgn_details(MORPHY, 70),
              "Morphy - Duke of Brunswick and Count Isoua., Paris 1858, 1-0, 17 moves");
    EXPECT_EQ(pgn_details(MORPHY, 50), "Morphy - Duke of Bruns., Paris 1858, 1-0, 17 moves");
    EXPECT_EQ(pgn_details(MORPHY, 36), "Morphy - Duke of., Paris 1858, 1-0");

    const std::string huge(255, 'W');
    const PgnGame games[] = {
        MORPHY,
        gameOf({{"White", huge}, {"Black", huge}, {"Event", huge}, {"Date", "2000.01.01"}}, 24447,
               "0-1"),
        gameOf({{"White", std::string(255, '\xC3')}, {"Black", "\xE2\x82"}}, 1),
    };
    for (const PgnGame& game : games) {
        const std::string full = pgn_details(game, SIZE_MAX);
        for (size_t width = 0; width <= full.size() + 1; ++width) {
            const std::string line = pgn_details(game, width);
            ASSERT_LE(line.size(), width) << full;
            if (width >= full.size()) {
                EXPECT_EQ(line, full);
            }
        }
    }
}

} // namespace
