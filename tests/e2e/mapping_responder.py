#!/usr/bin/env python3
"""mapping_responder.py natpmp|upnp GATEWAY PUBLIC [LIE...]: a router's port mapping for tests
inside a network namespace, as NAT-PMP or as a UPnP gateway (SSDP, description, WANIPConnection).
It maps nothing: it prints what it is asked (public address, mapping with ports, client and lease,
removal). A router that lies: port+N maps to the asked port plus N outside, lease=S grants S
seconds whatever is asked, stale sends a late copy of the public-address answer before each
mapping answer (NAT-PMP); control=ADDRESS puts the control URL at that address (UPnP)."""
import http.server, re, socket, struct, sys, threading

mode, gateway, public = sys.argv[1:4]
lies = dict(re.match(r"([a-z]+)[+=]?(.*)", lie).groups() for lie in sys.argv[4:])  # port+100: port, 100
control = f"http://{lies['control']}:5000/ctl" if "control" in lies else "/ctl"
say = lambda text: print(text, flush=True)
SERVICE = "urn:schemas-upnp-org:service:WANIPConnection:1"
DEVICE = "<device><deviceType>urn:schemas-upnp-org:device:{}:1</deviceType>{}</device>"
SERVICES = "<serviceList><service><serviceType>urn:schemas-upnp-org:service:{}:1</serviceType>" \
           "<controlURL>{}</controlURL></service></serviceList>"
DESCRIPTION = '<?xml version="1.0"?><root xmlns="urn:schemas-upnp-org:device-1-0">' + DEVICE.format(
    "InternetGatewayDevice", "<deviceList>" + DEVICE.format("WANDevice", SERVICES.format(
        "WANCommonInterfaceConfig", "/cif") + "<deviceList>" + DEVICE.format(
        "WANConnectionDevice", SERVICES.format("WANIPConnection", control)) + "</deviceList>") + "</deviceList>") + "</root>"


class Gateway(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def reply(self, body):
        self.send_response(200)
        self.send_header("Content-Type", "text/xml")
        self.send_header("Content-Length", str(len(body.encode())))
        self.end_headers()
        self.wfile.write(body.encode())

    def do_GET(self):
        self.reply(DESCRIPTION) if self.path == "/rootDesc.xml" else self.send_error(404)

    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-Length"])).decode()
        action = self.headers["SOAPAction"].strip('"').split("#")[1]
        f = lambda name: (re.search(f"<{name}>(.*?)</{name}>", body) or ["", ""])[1]
        args = ""
        if action == "GetStatusInfo":
            args = "<NewConnectionStatus>Connected</NewConnectionStatus><NewUptime>1000</NewUptime>"
        elif action == "GetExternalIPAddress":
            args = f"<NewExternalIPAddress>{public}</NewExternalIPAddress>"
        elif action == "AddPortMapping":
            say(f"UPnP mapping {f('NewProtocol')} port {f('NewExternalPort')} -> {f('NewInternalClient')}:"
                f"{f('NewInternalPort')} for {f('NewLeaseDuration')} s ({f('NewPortMappingDescription')})")
        elif action == "DeletePortMapping":
            say(f"UPnP removal of {f('NewProtocol')} port {f('NewExternalPort')}")
        self.reply(f'<?xml version="1.0"?><s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/">'
                   f'<s:Body><u:{action}Response xmlns:u="{SERVICE}">{args}</u:{action}Response></s:Body></s:Envelope>')


udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
udp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
if mode == "natpmp":
    udp.bind(("", 5351))
else:
    udp.bind(("", 1900))
    group = socket.inet_aton("239.255.255.250") + socket.inet_aton(gateway)
    udp.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, group)
    server = http.server.HTTPServer(("", 5000), Gateway)
    threading.Thread(target=server.serve_forever, daemon=True).start()
address_answer = struct.pack("!BBHI4s", 0, 128, 0, 1000, socket.inet_aton(public))
say(f"responder ({mode}) ready")
while True:
    data, peer = udp.recvfrom(2048)
    if mode == "upnp" and data.startswith(b"M-SEARCH"):
        st = (re.search(rb"\r\nST:\s*(.*?)\r\n", data, re.I) or [b"", b"upnp:rootdevice"])[1].decode()
        say(f"SSDP search for {st} from {peer[0]}")
        udp.sendto(f"HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: {st}\r\nUSN: uuid:test-igd::{st}\r\n"
                   f"EXT:\r\nSERVER: test UPnP/1.1\r\nLOCATION: http://{gateway}:5000/rootDesc.xml\r\n\r\n".encode(), peer)
    elif mode == "natpmp" and len(data) >= 2 and data[0] == 0 and data[1] == 0:
        say(f"NAT-PMP public address asked by {peer[0]}")
        udp.sendto(address_answer, peer)
    elif mode == "natpmp" and len(data) >= 12 and data[0] == 0 and data[1] in (1, 2):
        inner, outer, lease = struct.unpack("!HHI", data[4:12])
        proto = "TCP" if data[1] == 2 else "UDP"
        say(f"NAT-PMP removal of {proto} port {inner} for {peer[0]}" if lease == 0 else
            f"NAT-PMP mapping {proto} port {outer} -> {peer[0]}:{inner} for {lease} s")
        if "stale" in lies:
            udp.sendto(address_answer, peer)
        granted = (inner + int(lies.get("port", 0)), int(lies.get("lease", lease))) if lease else (0, 0)
        udp.sendto(struct.pack("!BBHIHHI", 0, 128 + data[1], 0, 1000, inner, *granted), peer)
