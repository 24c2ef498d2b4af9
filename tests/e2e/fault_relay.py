#!/usr/bin/env python3
"""fault_relay.py LISTEN_PORT TARGET_PORT SEED [--stall AT:SECONDS] [--cut AT]: a relay on
loopback that does what the internet does: every piece of data waits 50-300 ms (order kept) and
is written in two parts split at random; once everything stalls; once every connection is cut
both ways. AT counts seconds from the first connection. Prints each event, its counts at the end."""
import random, select, signal, socket, sys, time

listen_port, target_port, seed = map(int, sys.argv[1:4])
opts = dict(zip(sys.argv[4::2], sys.argv[5::2]))
stall_at, stall_for = map(float, opts.get("--stall", "-1:0").split(":"))
cut_at = float(opts.get("--cut", -1))
rnd = random.Random(seed)
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
say = lambda text: print(text, flush=True)
listener = socket.create_server(("127.0.0.1", listen_port))
queues = {}  # socket -> [its peer, [(due, bytes, split at)]] of what it sent
first, stalled, cut, counts = None, False, False, {"chunks": 0, "split": 0, "delay_ms": 0}


def close(s):
    for end in (s, queues[s][0]):
        queues.pop(end, None)
        end.close()


try:
    while True:
        now = time.monotonic()
        t = now - first if first else 0
        if first and (stall_at <= t < stall_at + stall_for) != stalled:
            stalled = not stalled
            say(f"STALL {'begins' if stalled else 'ends'} at {t:.1f} s")
        if first and 0 <= cut_at <= t and not cut:
            cut = True
            say(f"CUT {len(queues) // 2} connection(s) at {t:.1f} s")
            while queues:
                close(next(iter(queues)))
        for s, (peer, queue) in list(queues.items()):
            while queue and not stalled and queue[0][0] <= now:
                due, data, split = queue.pop(0)
                peer.sendall(data[:split])
                time.sleep(0.002)  # the second part arrives on its own
                peer.sendall(data[split:])
        ready, _, _ = select.select([listener, *queues], [], [], 0.005)
        for s in ready:
            if s is listener:
                joiner, _ = listener.accept()
                host = socket.create_connection(("127.0.0.1", target_port))
                queues[joiner], queues[host] = [host, []], [joiner, []]
                first = first or time.monotonic()
                say(f"ACCEPT connection {len(queues) // 2}")
            elif s in queues:
                data = s.recv(4096)
                if not data:
                    say("CLOSED a connection")  # the other side is closed too, as a router does
                    close(s)
                    continue
                delay, queue = rnd.randint(50, 300), queues[s][1]
                due = max(now + delay / 1000, queue[-1][0] if queue else 0)
                split = rnd.randint(0, len(data))
                queue.append((due, data, split))
                for key, value in (("chunks", 1), ("delay_ms", delay), ("split", 0 < split < len(data))):
                    counts[key] += value
finally:
    c = counts
    say(f"relay: {c['chunks']} chunks delayed ({c['delay_ms'] // max(c['chunks'], 1)} ms on average), "
        f"{c['split']} split, stall {'done' if stall_at >= 0 else 'none'}, cut {'done' if cut else 'none'}")
