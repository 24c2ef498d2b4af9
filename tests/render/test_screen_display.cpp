// SPDX-License-Identifier: GPL-3.0-or-later
// The display the environment names: a server that closes a new connection before answering it
// (a busy Xvfb does, now and then) costs one more try, never a window on SDL's windowless driver
// that no one can see.

#include "engine/screen_api.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::string socketPath(int display) {
    return "/tmp/.X11-unix/X" + std::to_string(display);
}

// A display number no server has taken.
int freeDisplay() {
    for (int n = 400;; ++n) {
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        if (access(socketPath(n).c_str(), F_OK) != 0 && access(lock.c_str(), F_OK) != 0) return n;
    }
}

// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(ScreenDisplay, AConnectionTheServerDropsUnansweredIsTriedAgain) {
    const char* display = std::getenv("DISPLAY");
    if (!display || display[0] != ':') GTEST_SKIP() << "needs a local X display (DISPLAY=:N)";
    const std::string real = socketPath(std::atoi(display + 1));
    if (access(real.c_str(), F_OK) != 0) GTEST_SKIP() << "no X socket at " << real;
    if (SDL_WasInit(SDL_INIT_VIDEO)) GTEST_SKIP() << "video is already up in this process";

    // A stand-in server on a display of its own: it closes the first connection unanswered,
    // then gives its socket's name to the real server.
    const int number = freeDisplay();
    const std::string path = socketPath(number);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    int dropped = 0;
    std::thread server([&] {
        pollfd waiting{listener, POLLIN, 0};
        if (poll(&waiting, 1, 20000) == 1) {
            const int client = accept(listener, nullptr, nullptr);
            if (client >= 0) {
                ++dropped;
                close(client);
            }
        }
        close(listener);
        unlink(path.c_str());
        if (symlink(real.c_str(), path.c_str()) != 0) std::perror("symlink");
    });

    KScreen* screen = nullptr;
    {
        const ScopedEnv driver("SDL_VIDEODRIVER", nullptr); // SDL chooses, as for a player
        const ScopedEnv named("DISPLAY", (":" + std::to_string(number)).c_str());
        screen = CreateWindowedScreen(64, 48);
        server.join();
    }
    unlink(path.c_str());

    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(dropped, 1);
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
    EXPECT_FALSE(screen->offscreen);
    EXPECT_FALSE(screen->offscreenUnasked);
    delete screen;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace
