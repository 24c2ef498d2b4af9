// SPDX-License-Identifier: GPL-3.0-or-later
// The chat: opening and closing, the editing rules of the input line, the ring of four lines,
// lines received from the peer, and the routing of typed keys.
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "engine/KivEngine.h"
#include "tests/ui/ui_world.h"
#include "ui/interface.h"

namespace {

class Chat : public UiWorld {
protected:
    static TextOverlay& o() { return *g_ui->overlay; }
    static KTexte* input() { return o().chatLines[o().chatRing]; }
    // The input line as shown: up to its first zero, trailing blanks cut.
    static std::string shown(const KTexte* t) {
        std::string s(t->texte);
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        return s;
    }
    static void type(const char* keys) {
        for (const char* k = keys; *k; ++k)
            textKey(*k >= 'a' && *k <= 'z' ? *k - 32 : *k);
    }
    static void openChat() { ASSERT_TRUE(textKey(9)); }
};

TEST_F(Chat, TabOpensAndClosesTheChatWithItsPanel) {
    EXPECT_FALSE(textKey('A')) << "a closed chat leaves keys to the game";
    openChat();
    for (KTexte* t : o().chatLines)
        EXPECT_TRUE(t->visible);
    EXPECT_FALSE(g_ui->chat->hidden);
    EXPECT_TRUE(textKey(9));
    for (KTexte* t : o().chatLines)
        EXPECT_FALSE(t->visible);
    EXPECT_TRUE(g_ui->chat->hidden);
    EXPECT_FALSE(textKey(27)) << "Escape reaches the menu once the chat is closed";
}

TEST_F(Chat, TypingWritesAtTheCursorWithShiftForCapitals) {
    openChat();
    type("hi");
    g_app->keysDown[16] = 1;
    type("j");
    g_app->keysDown[16] = 0;
    textKey(32);
    textKey(97);  // numeric pad 1
    textKey(188); // '.' without Shift
    textKey(190); // ';' without Shift
    g_app->keysDown[16] = 1;
    textKey(188); // '?'
    textKey(223); // the section sign
    g_app->keysDown[16] = 0;
    textKey(191); // ':'
    EXPECT_EQ(shown(input()), ">hiJ 1.;?\xA7:_");
    EXPECT_EQ(o().chatCursor, 11);
}

TEST_F(Chat, KeysThatTypeNothingAreSwallowedWhileTheChatIsOpen) {
    openChat();
    for (int key : {19, 35, 36, 112, 123, 16})
        EXPECT_TRUE(textKey(key)) << key;
    EXPECT_EQ(shown(input()), ">_");
    EXPECT_EQ(o().chatCursor, 1);
}

TEST_F(Chat, BackspaceAndDeleteEraseButNeverThePrompt) {
    openChat();
    type("abc");
    textKey(8);
    EXPECT_EQ(shown(input()), ">ab_");
    textKey(46);
    textKey(8);
    EXPECT_EQ(shown(input()), ">_");
    textKey(8); // at the prompt
    EXPECT_EQ(shown(input()), ">_");
    EXPECT_EQ(o().chatCursor, 1);
    type("x");
    EXPECT_EQ(shown(input()), ">x_");
}

TEST_F(Chat, EscapeClearsTheLineInsteadOfReachingTheMenu) {
    openChat();
    type("hello");
    EXPECT_TRUE(textKey(27));
    EXPECT_EQ(shown(input()), ">_");
    EXPECT_EQ(o().chatCursor, 1);
    EXPECT_TRUE(o().chatLines[0]->visible) << "Escape does not close the chat";
}

TEST_F(Chat, TheSeventySecondCharacterIsIgnored) {
    openChat();
    for (int i = 0; i < 80; ++i)
        textKey('A');
    EXPECT_EQ(o().chatCursor, 72);
    std::string line = shown(input());
    EXPECT_EQ(line, ">" + std::string(71, 'a') + "_");
}

TEST_F(Chat, EnterSendsTheLineAndMovesTheRing) {
    openChat();
    textKey(13);
    EXPECT_TRUE(sentLines.empty()) << "an empty line is not sent";
    EXPECT_EQ(o().chatRing, 0);

    KTexte* first = input();
    type("hello");
    textKey(13);
    ASSERT_EQ(sentLines.size(), 1u);
    EXPECT_EQ(sentLines[0].substr(0, 7), ">hello ");
    EXPECT_EQ(o().chatRing, 1);
    EXPECT_EQ(shown(first), ">hello");
    EXPECT_EQ(shown(input()), ">_");
    // The sent line stands one row (12 pixels) above the new input line at the bottom.
    EXPECT_EQ(input()->y, 600 - 25);
    EXPECT_EQ(first->y, 600 - 37);

    // Four more lines: the ring wraps and the oldest line becomes the input line again.
    for (const char* w : {"b", "c", "d", "e"}) {
        type(w);
        textKey(13);
    }
    EXPECT_EQ(o().chatRing, 1);
    EXPECT_EQ(shown(o().chatLines[0]), ">e");
    EXPECT_EQ(shown(o().chatLines[3]), ">d");
    EXPECT_EQ(shown(o().chatLines[2]), ">c");
    EXPECT_EQ(o().chatLines[0]->y, 600 - 37);
    EXPECT_EQ(o().chatLines[2]->y, 600 - 61);
}

TEST_F(Chat, AReceivedLineOpensTheChatInLightBlue) {
    unsigned char msg[75] = {'C', 'H', '>'};
    std::memset(msg + 3, ' ', 70);
    std::memcpy(msg + 3, "hi there", 8);
    chatReceived(msg);
    for (KTexte* t : o().chatLines)
        EXPECT_TRUE(t->visible);
    EXPECT_FALSE(g_ui->chat->hidden);
    KTexte* received = o().chatLines[0];
    EXPECT_EQ(shown(received), ">hi there");
    EXPECT_FLOAT_EQ(received->b, 1.0f);
    EXPECT_FLOAT_EQ(received->r, 0.4f);
    EXPECT_EQ(o().chatRing, 1);
    EXPECT_FLOAT_EQ(input()->r, 1.0f) << "the new input line is white";
    EXPECT_TRUE(sentLines.empty());
}

TEST_F(Chat, ALineReceivedWhileTypingSendsTheTypedPartFirst) {
    openChat();
    type("wait");
    unsigned char msg[75] = {'C', 'H', '>', 'y', 'o'};
    chatReceived(msg);
    ASSERT_EQ(sentLines.size(), 1u);
    EXPECT_EQ(shown(o().chatLines[0]), ">wait");
    EXPECT_EQ(shown(o().chatLines[1]), ">yo");
    EXPECT_EQ(o().chatRing, 2);
    // Bottom to top: the new input line, the received line, the typed part.
    EXPECT_EQ(o().chatLines[2]->y, 575);
    EXPECT_EQ(o().chatLines[1]->y, 563);
    EXPECT_EQ(o().chatLines[0]->y, 551);
}

TEST_F(Chat, TheSaveScreenTakesTypedKeysBeforeTheChat) {
    openChat();
    g_ui->saveScreenOpen = 1;
    static int nameKeys = 0;
    nameKeys = 0;
    g_ui->screens.saveNameKey = [](int) {
        ++nameKeys;
        return true;
    };
    type("ab");
    EXPECT_EQ(nameKeys, 2);
    EXPECT_EQ(shown(input()), ">_");
    // The address line only sees keys the chat declined.
    g_ui->saveScreenOpen = 0;
    textKey(9); // closes the chat
    g_ui->connectScreenOpen = 1;
    static int addressKeys = 0;
    g_ui->screens.addressKey = [](int) {
        ++addressKeys;
        return false;
    };
    EXPECT_FALSE(textKey('1'));
    EXPECT_EQ(addressKeys, 1);
}

} // namespace
