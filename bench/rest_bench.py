#!/usr/bin/env python3
"""What the game costs while its player thinks, measured side by side in one run.

    bench/rest_bench.py --after build/bin [--before OLD/bin] [--display :57] [--moves 30]
                        [--pause 4] [--no-game] [--no-reference]

Each build of the game (its bin folder) is started under an X server at 800 x 600 (Xvfb,
started on the display given when none answers there) and brought, with xdotool, into the
states where a player rests: hosting and waiting for a peer, a game against the computer
waiting for the player's move, the menu wall with the pointer still, the load screen. In each
its processor time is read from /proc/PID/stat (all its threads) over 10 s. The build under
test runs twice, with settings.ini's `ambient = on` and `ambient = off`; the build before it
(which knows no such line) once. Then, for the build under test:
  - the frames it draws (its --frame-log) at rest and while something moves (the intro, the
    wall's turn, the player's glides);
  - the time from a key or a pointer move, sent at a random moment of the rest, to the frame
    that shows it: the frame log's time of that frame less the time the event was handed to
    xdotool (one xdotool process reading its commands from a pipe, so nothing starts between);
  - for every build, the processor time of a whole game against the computer: the player's
    moves chosen by chess3d-engine (depth 3) and typed on the move line, with a pause of a few
    seconds after each of the computer's answers, which are read from the game's standard
    output (the search's table);
  - DreamChess, the 3D chess game from Debian's archive (package dreamchess), on its board
    view, for comparison (skipped when it is not installed).
The builds' own settings.ini files are put back at the end. Run it on an otherwise idle
machine: the figures are processor time, which other programs' load changes little, but the
frame rates and latencies they change a lot.
"""

import argparse
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

WINDOW_X, WINDOW_Y = 200, 200  # the game places its window there
MEASURE_SECONDS = 10
SETTLE_SECONDS = 6
CLK_TCK = os.sysconf("SC_CLK_TCK")
PORT = 29390


def cpu_seconds(pids):
    """Processor time so far of the processes (user and system, all threads)."""
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except (OSError, IndexError, ValueError):
            pass
    return total / CLK_TCK


def percent_of_a_core(pids, seconds=MEASURE_SECONDS):
    a, t = cpu_seconds(pids), time.monotonic()
    time.sleep(seconds)
    return 100.0 * (cpu_seconds(pids) - a) / (time.monotonic() - t)


class Display:
    """An X server on `name`: the one answering there, or an Xvfb started for the run."""

    def __init__(self, name):
        self.name, self.server = name, None
        # The games keep their settings in a data folder of the run's own, and leave any old
        # Save folder beside a build where it is.
        self.data_home = tempfile.mkdtemp(prefix="rest-bench-")
        self.env = dict(os.environ, DISPLAY=name, SDL_AUDIODRIVER="dummy",
                        XDG_DATA_HOME=self.data_home, CHESS3D_LEAVE_OLD_SAVES="1")
        if subprocess.run(["xdpyinfo"], env=self.env, capture_output=True).returncode != 0:
            self.server = subprocess.Popen(["Xvfb", name, "-screen", "0", "1280x1024x24"],
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(50):
                time.sleep(0.1)
                if subprocess.run(["xdpyinfo"], env=self.env,
                                  capture_output=True).returncode == 0:
                    break
        self.xdo = subprocess.Popen(["xdotool", "-"], stdin=subprocess.PIPE, env=self.env,
                                    text=True)

    def send(self, command):
        """Hands one xdotool command over; returns the time it was handed over."""
        t = time.time()
        self.xdo.stdin.write(command + "\n")
        self.xdo.stdin.flush()
        return t

    def type_keys(self, text):
        """Letters and digits as the keys that type them (xdotool's own typing remaps spare
        keycodes on the fly, which the game's window then sees change under it)."""
        for c in text:
            self.send(f"key shift+{c.lower()}" if c.isupper() else f"key {c}")
            time.sleep(0.06)

    def click_at(self, x, y):
        # Moved first, pressed after a frame: the menu reads the entry under the pointer from
        # the frame that follows the move.
        self.send(f"mousemove {x} {y}")
        time.sleep(0.7)
        self.send("mousedown 1")
        time.sleep(0.1)
        self.send("mouseup 1")

    def close(self):
        self.xdo.stdin.close()
        self.xdo.wait()
        if self.server:
            self.server.terminate()


class Game:
    """One run of a build: started, its standard output read beside, stopped by SIGTERM."""

    def __init__(self, display, bin_dir, args, frame_log=None):
        command = [os.path.join(bin_dir, "chess3d")] + args
        if frame_log:
            command += ["--frame-log", frame_log]
        self.proc = subprocess.Popen(command, cwd=bin_dir, env=display.env,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     text=True, bufsize=1)
        self.started = time.time()
        self.lines, self.lock = [], threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            with self.lock:
                self.lines.append((time.time(), line.rstrip("\n")))

    def output_since(self, t):
        with self.lock:
            return [line for when, line in self.lines if when >= t]

    def cpu(self):
        return cpu_seconds([self.proc.pid])

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def supports_frame_log(bin_dir):
    out = subprocess.run([os.path.join(bin_dir, "chess3d"), "--help"], capture_output=True,
                         text=True).stdout
    return "--frame-log" in out


class Settings:
    """settings.ini of a build with one line set, put back as it was by restore(). Written both
    beside the program, where builds from before the data folder read it, and in the run's own
    data folder, where later builds do."""

    def __init__(self, bin_dir, data_home):
        self.paths = [os.path.join(bin_dir, "Save", "settings.ini"),
                      os.path.join(data_home, "chess3d", "Save", "settings.ini")]
        self.saved = {p: open(p).read() if os.path.exists(p) else None for p in self.paths}

    def ambient(self, on):
        for path, saved in self.saved.items():
            kept = [l for l in (saved or "").splitlines() if not l.startswith("ambient")]
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write("\n".join(kept + [f"ambient = {'on' if on else 'off'}"]) + "\n")

    def restore(self):
        for path, saved in self.saved.items():
            if saved is None:
                if os.path.exists(path):
                    os.remove(path)
            else:
                with open(path, "w") as f:
                    f.write(saved)


def frame_times(path, start=0, end=1e18, why=None):
    times = []
    if not path or not os.path.exists(path):
        return times
    for line in open(path):
        t, reason = line.split()
        if start <= float(t) < end and (why is None or reason == why):
            times.append(float(t))
    return times


def board_pgn(folder):
    """A game after 1. e4 e5: against the computer, White (the player) to move."""
    path = os.path.join(folder, "rest-bench.pgn")
    with open(path, "w") as f:
        f.write('[Event "rest bench"]\n\n1. e4 e5 *\n')
    return path


# ---- The resting states ------------------------------------------------------------------

def to_menu(display, game):
    time.sleep(2)
    display.send("key Escape")  # the intro skipped
    time.sleep(SETTLE_SECONDS)
    display.send(f"mousemove {WINDOW_X + 400} {WINDOW_Y + 300}")  # over the wall, then still
    time.sleep(2)


def to_load_screen(display, game):
    to_menu(display, game)
    display.click_at(WINDOW_X + 465, WINDOW_Y + 327)  # the load entry's sign
    time.sleep(SETTLE_SECONDS)


STATES = [
    ("hosting, waiting for a peer", lambda d, tmp: ["--host", "white", "--port", str(PORT)],
     lambda d, g: time.sleep(SETTLE_SECONDS)),
    ("against the computer, the player to move", lambda d, tmp: [board_pgn(tmp)],
     lambda d, g: time.sleep(SETTLE_SECONDS)),
    ("the menu wall, pointer still", lambda d, tmp: [], to_menu),
    ("the load screen", lambda d, tmp: [], to_load_screen),
]


def rest_figures(display, bin_dir, tmp, log):
    """Per state: percent of a core over 10 s, and frames drawn a second meanwhile."""
    rows = []
    for name, args, prepare in STATES:
        game = Game(display, bin_dir, args(display, tmp), log)
        prepare(display, game)
        start = time.time()
        pct = percent_of_a_core([game.proc.pid])
        frames = len(frame_times(log, start, time.time())) / MEASURE_SECONDS if log else None
        game.stop()
        rows.append((name, pct, frames))
    return rows


# ---- Latency and frames while moving -----------------------------------------------------

def latencies(display, game, log, commands, count=20):
    """Milliseconds from each command handed to xdotool to the next frame drawn for input."""
    out = []
    for i in range(count):
        time.sleep(random.uniform(0.35, 0.6))  # any moment of the ambient motion's frames
        sent = display.send(commands[i % len(commands)])
        time.sleep(0.2)
        after = frame_times(log, sent, sent + 0.2, "input")
        if after:
            out.append(1000 * (after[0] - sent))
    return out


def motion_and_latency(display, bin_dir, tmp, log):
    figures = {}
    # The intro: frames between its first and its ninth second.
    game = Game(display, bin_dir, [], log)
    time.sleep(10)
    figures["intro"] = len(frame_times(log, game.started + 1, game.started + 9)) / 8
    display.send("key Escape")
    time.sleep(SETTLE_SECONDS)
    display.send(f"mousemove {WINDOW_X + 400} {WINDOW_Y + 300}")
    time.sleep(2)
    figures["pointer over the wall"] = latencies(
        display, game, log,
        [f"mousemove {WINDOW_X + 380} {WINDOW_Y + 290}",
         f"mousemove {WINDOW_X + 420} {WINDOW_Y + 310}"])
    display.send(f"mousemove {WINDOW_X + 465} {WINDOW_Y + 327}")
    time.sleep(0.7)
    click = display.send("click 1")
    time.sleep(2.5)
    figures["the wall's turn"] = len(frame_times(log, click + 0.05, click + 2.05)) / 2
    game.stop()
    # On the board at rest: M shows and hides the move list; a click on the e2 pawn selects it.
    game = Game(display, bin_dir, [board_pgn(tmp)], log)
    time.sleep(SETTLE_SECONDS)
    figures["key M on the board"] = latencies(display, game, log, ["key m"])
    figures["click on a piece"] = latencies(
        display, game, log, [f"mousemove {WINDOW_X + 443} {WINDOW_Y + 385} click 1"])
    game.stop()
    return figures


# ---- A whole game against the computer ---------------------------------------------------

SEARCH_LINE = re.compile(r"^\s*(\d+)\s+\d+\s+-?\d+\s+([a-h][1-8][a-h][1-8][qrbnQRBN]?)")


class Player:
    """The player's moves: chess3d-engine's choice at a fixed depth, over UCI."""

    def __init__(self, bin_dir, depth=3):
        self.depth = depth
        self.proc = subprocess.Popen([os.path.join(bin_dir, "chess3d-engine"), "uci"],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                     cwd=bin_dir)
        self.ask("uci", "uciok")

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def ask(self, line, until):
        self.send(line)
        while True:
            got = self.proc.stdout.readline()
            if not got or got.startswith(until):
                return got.strip()

    def move(self, moves):
        self.send("position startpos moves " + " ".join(moves))
        best = self.ask(f"go depth {self.depth}", "bestmove").split()
        return best[1] if len(best) > 1 and best[1] != "(none)" else None

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


class Board:
    """The pieces where the moves put them, to type the player's moves as SAN in long form
    ("Ng1f3", "e2e4"), which every build's move line reads; castling as the king's move ("Kg1":
    xdotool's '-' does not reach the game under Xvfb's keymap)."""

    def __init__(self):
        rows = ["RNBQKBNR", "P" * 8, "", "", "", "", "p" * 8, "rnbqkbnr"]
        self.at = {f"{'abcdefgh'[c]}{r + 1}": row[c] for r, row in enumerate(rows)
                   for c in range(len(row))}

    def typed(self, move):
        piece = self.at.get(move[:2], "")
        if piece.upper() == "K" and abs(ord(move[0]) - ord(move[2])) == 2:
            return "K" + move[2:4]
        return ("" if piece.upper() == "P" else piece.upper()) + move[:4]

    def play(self, move):
        src, dst = move[:2], move[2:4]
        piece = self.at.pop(src, "")
        if piece.upper() == "P" and src[0] != dst[0] and dst not in self.at:
            self.at.pop(dst[0] + src[1], None)  # en passant
        if piece.upper() == "K" and abs(ord(src[0]) - ord(dst[0])) == 2:
            rook_from, rook_to = ("h", "f") if dst[0] == "g" else ("a", "d")
            self.at[rook_to + src[1]] = self.at.pop(rook_from + src[1], "")
        if piece.upper() == "P" and dst[1] in "18":
            piece = "Q" if piece.isupper() else "q"  # the board promotes to a queen
        self.at[dst] = piece


def computer_reply(game, since, timeout=30):
    """The computer's move after `since`: the first move of the last line of its search table,
    once the table has stopped growing for a second."""
    end = time.time() + timeout
    last, last_change = None, time.time()
    while time.time() < end:
        found = [m for m in (SEARCH_LINE.match(l) for l in game.output_since(since)) if m]
        if found and found[-1].group(0) != last:
            last, last_change = found[-1].group(0), time.time()
        if found and time.time() - last_change > 1.0:
            return found[-1].group(2).lower()
        time.sleep(0.1)
    return None


def whole_game(display, bin_dir, engine_bin, tmp, moves_wanted, pause, log=None):
    """Processor seconds of the game's process over a game of `moves_wanted` moves of the
    player, and the game's length in seconds and moves; and the glides' frame rate."""
    game = Game(display, bin_dir, [board_pgn(tmp)], log)
    player = Player(engine_bin)
    time.sleep(SETTLE_SECONDS)
    start_cpu, start = game.cpu(), time.time()
    moves, played, glides, board = ["e2e4", "e7e5"], 0, [], Board()
    for m in moves:
        board.play(m)
    while played < moves_wanted:
        move = player.move(moves)
        if not move:
            break
        display.send("key Return")
        time.sleep(0.3)
        display.type_keys(board.typed(move))
        time.sleep(0.3)
        typed = display.send("key Return")
        reply = computer_reply(game, typed)
        if not reply:
            shot = os.path.join(tmp, "rest-bench-stopped.png")
            subprocess.run(["import", "-window", "root", shot], env=display.env)
            print(f"  (no answer to {board.typed(move)} after {' '.join(moves)}: the game "
                  f"stops here; the screen then: {shot})")
            break
        glides.append(typed)
        for m in (move if len(move) == 4 else move[:4] + "q", reply):
            board.play(m)
            moves.append(m)
        played += 1
        time.sleep(pause)
    cpu, seconds = game.cpu() - start_cpu, time.time() - start
    game.stop()
    player.close()
    glide_rate = None
    if log and glides:
        # The first 0.9 s after Enter: the player's piece glides (a second).
        glide_rate = statistics.mean(
            len(frame_times(log, t + 0.05, t + 0.95)) / 0.9 for t in glides)
    return cpu, seconds, played, glide_rate


# ---- The reference: DreamChess on its board view -----------------------------------------

def reference(display):
    program = shutil.which("dreamchess") or "/usr/games/dreamchess"
    if not os.path.exists(program):
        return None
    proc = subprocess.Popen([program], env=display.env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    time.sleep(SETTLE_SECONDS)
    display.send("key Return")  # "New Game.."
    time.sleep(2)
    display.send("key Return")  # "Start Game": human against the computer, the board view
    time.sleep(SETTLE_SECONDS)
    children = subprocess.run(["pgrep", "-P", str(proc.pid)], capture_output=True,
                              text=True).stdout.split()
    pct = percent_of_a_core([proc.pid] + [int(c) for c in children])
    os.killpg(proc.pid, 15)
    proc.wait()
    return pct


# ---- The report --------------------------------------------------------------------------

def describe(values):
    if not values:
        return "none measured"
    values = sorted(values)
    p95 = values[min(len(values) - 1, int(round(0.95 * (len(values) - 1))))]
    return (f"median {statistics.median(values):.1f} ms, p95 {p95:.1f} ms, "
            f"max {values[-1]:.1f} ms over {len(values)}")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--after", required=True, help="bin folder of the build under test")
    ap.add_argument("--before", help="bin folder of the build to compare with")
    ap.add_argument("--display", default=":57")
    ap.add_argument("--moves", type=int, default=30, help="player's moves of the whole game")
    ap.add_argument("--pause", type=float, default=4.0, help="seconds the player thinks")
    ap.add_argument("--no-game", action="store_true", help="leave out the whole games")
    ap.add_argument("--no-reference", action="store_true", help="leave out DreamChess")
    a = ap.parse_args()
    after, before = os.path.abspath(a.after), a.before and os.path.abspath(a.before)
    if not supports_frame_log(after):
        sys.exit("rest_bench: the build under test has no --frame-log")
    tmp = os.path.abspath(os.path.join(after, "Save"))
    display = Display(a.display)
    builds = ([("before", before, None)] if before else []) + [("after, ambient on", after, True),
                                                               ("after, ambient off", after, False)]
    settings = {d: Settings(d, display.data_home) for _, d, _ in builds}
    log = os.path.join(tmp, "rest-bench-frames.log")
    try:
        print(f"{time.strftime('%Y-%m-%d %H:%M:%S')}, load average {os.getloadavg()[0]:.2f}, "
              f"{os.cpu_count()} processors\n")
        print("At rest: percent of one core over 10 s (frames drawn a second)")
        for label, folder, ambient in builds:
            if ambient is not None:
                settings[folder].ambient(ambient)
            for name, pct, frames in rest_figures(display, folder, tmp,
                                                  log if ambient is not None else None):
                drawn = f" ({frames:.1f} frames/s)" if frames is not None else ""
                print(f"  {label:20s} {name:42s} {pct:6.1f} %{drawn}")
        if not a.no_reference:
            pct = reference(display)
            print(f"  {'DreamChess 0.3':20s} {'its board view':42s} " +
                  (f"{pct:6.1f} %" if pct is not None else "not installed"))
        for ambient in (True, False):
            settings[after].ambient(ambient)
            f = motion_and_latency(display, after, tmp, log)
            turn = f["the wall's turn"]
            print(f"\nAfter, ambient {'on' if ambient else 'off'}: frames a second while moving:"
                  f" intro {f['intro']:.1f}, the wall's turn {turn:.1f}")
            for what in ("pointer over the wall", "key M on the board", "click on a piece"):
                print(f"  input to frame, {what}: {describe(f[what])}")
        if not a.no_game:
            print(f"\nA whole game against the computer, {a.moves} moves of the player, "
                  f"{a.pause:.0f} s pause after each answer: processor seconds")
            for label, folder, ambient in builds:
                if ambient is not None:
                    settings[folder].ambient(ambient)
                cpu, seconds, played, glide = whole_game(
                    display, folder, after, tmp, a.moves, a.pause,
                    log if ambient is not None else None)
                extra = f", glides at {glide:.1f} frames/s" if glide else ""
                print(f"  {label:20s} {cpu:7.1f} s in {seconds:5.0f} s ({played} moves, "
                      f"{100 * cpu / seconds:.0f} % of a core){extra}")
    finally:
        for s in settings.values():
            s.restore()
        for name in ("rest-bench.pgn", "rest-bench-frames.log"):
            if os.path.exists(os.path.join(tmp, name)):
                os.remove(os.path.join(tmp, name))
        display.close()


if __name__ == "__main__":
    main()
