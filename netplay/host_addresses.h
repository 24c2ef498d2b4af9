// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// While hosting: where a friend can find this machine. The local IPv4 and global IPv6
// addresses of its interfaces (with the port when it is not the usual one), and, when the
// player turns it on, the public address and port the router gives after forwarding the port to
// this machine (or, when the router's own public side is not public, that another NAT stands in
// the way). Shown under the waiting message and printed on the terminal; the router's mapping
// is removed when hosting stops or the game ends.

// Hosting began on port: the addresses are gathered, printed on standard output and in the
// log, and, if port mapping is wanted, the router is asked.
void hostAddressesBegin(int port);

// The lines under the info message: shown while the host waits for a player, hidden while
// one plays.
void hostAddressesShown(bool shown);

// Once per frame while hosting: the router's answer, when it comes, goes into the lines.
void hostAddressesStep();

// Hosting stopped (waitSeconds 0) or the program ends (a short wait lets the removal of the
// router's mapping reach it): the mapping is removed and the lines hidden.
void hostAddressesEnd(double waitSeconds);

// The key the waiting screen names (U): ask the router to forward the port now, or, once it
// has, to stop. True when the key was taken (only while hosting).
bool portMappingKey();

// Whether hosting asks the router by itself (--port-mapping, or "port_mapping = on").
void setPortMappingWanted(bool wanted);

// Lines as the host shows them, for the terminal, the screen and tests: "Join at
// 192.168.1.20" (":4001" after it when the port is not 4000), "[2001:db8::5]:4001" for IPv6.
// Returns the text's length.
int formatJoinAddress(char* out, int size, const char* address, int port);
