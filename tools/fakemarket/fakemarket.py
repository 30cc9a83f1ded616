#!/usr/bin/env python3
"""fakemarket: a local simulator of the vendor's site and of the marketplace.

Serves, in GBK, on 127.0.0.1 only:
  /with-update/  the same page, always announcing an update (tests)
  /              the configuration page (listing address between two "ming",
                 optionally an update link between two "kkkkkk"); requested
                 with the Host "localhost" it is the help page instead
  /listing.txt   the listing feed: a heading line, CR LF lines of
                 "<p>"-separated fields (seller, opening date, protection,
                 shop address), a closing line
  /shop/<id>     shop pages with the patterns the slow extraction reads
  /online.aw     the messenger's presence endpoint
  /echo          answers with the raw request it received (tests)
  /cookies       sets the cookies named in ?set=a=1;b=2 and echoes the Cookie
                 header it received (tests)
  /bytes/<name>  fixed byte bodies for tests (gbk-zero)
  /big?mb=N      a body of N MiB;  /slow?ms=N  an answer after N ms (tests)
  /f/KIND/PATH   PATH with the fault KIND (reset, error, hang, oversize, garbage,
                 delay<ms>, million: a listing of 1,000,000 lines); /f/KIND/ is a
                 configuration page whose listing is /f/KIND/listing.txt
  /fs/KIND/      a configuration page whose listing's shop pages carry KIND
                 (?n=N keeps the first N shops)
  /__log         JSON list of every request received
  /__stats       JSON {"requests": n, "peak": peak concurrent requests}
  /__reset       clears the log and the peak
"""
import argparse
import datetime
import json
import os
import random
import signal
import socket
import struct
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

ONLINE_SIGNATURE = bytes([0xA0, 0x86, 0x2A, 0xAA, 0xA7, 0x82, 0x04, 0x02, 0x00, 0x3B])
ENDPOINTS = ("config", "listing", "shop", "online")
FAULT_KINDS = ("delay", "reset", "error", "hang", "oversize", "garbage")

SURNAMES = "张王李赵刘陈杨黄周吴徐孙马朱胡郭何高林罗"
WORDS = ["小店", "精品屋", "杂货铺", "旗舰店", "工作室", "百货", "良品", "优选", "家居", "服饰"]
ASCII_WORDS = ["shop", "mall", "store", "deal", "best", "top", "star", "life"]


def gbk(text):
    return text.encode("gbk")


class Shop:
    def __init__(self, ident, seller, date, protected, online, goods, kind):
        self.id = ident
        self.seller = seller
        self.date = date            # text as listed
        self.protected = protected
        self.online = online
        self.goods = goods          # "none": page length in the no-goods window
        self.kind = kind            # normal, limited, xua, sparse


def make_shops(args, rng):
    today = args.today
    shops, sellers = [], set()
    for i in range(args.shops):
        r = rng.random()
        if r < 0.45:
            seller = rng.choice(SURNAMES) + rng.choice(SURNAMES) + rng.choice(WORDS)
        elif r < 0.9:
            seller = rng.choice(ASCII_WORDS) + "_" + "".join(rng.choice("abcdefghijkmnpqrstuvwxyz23456789") for _ in range(5))
        elif shops:
            # A name that another seller's name contains, or that contains one.
            base = rng.choice(shops).seller
            seller = base[:-1] if len(base) > 2 and rng.random() < 0.5 else base + "a"
        else:
            seller = "abc"
        if seller in sellers:
            seller += str(i)
        sellers.add(seller)
        day = today - datetime.timedelta(days=rng.randint(0, args.days))
        date = "%d-%d-%d" % (day.year, day.month, day.day) if rng.random() < 0.8 else day.strftime("%Y-%m-%d")
        kind = "normal"
        k = rng.random()
        if k < args.limited_share:
            kind = "limited"
        elif k < args.limited_share + args.xua_share:
            kind = "xua"
        elif k < args.limited_share + args.xua_share + args.sparse_share:
            kind = "sparse"
        shops.append(Shop(i + 1, seller, date, rng.random() < args.protected_share,
                          rng.random() < args.online_share,
                          "some" if rng.random() < args.goods_share else "none", kind))
    return shops


def shop_page(shop, rng):
    if shop.kind == "limited":
        return gbk("<html><body>亲，访问受限了</body></html>")
    head = '<html><head><meta charset="gbk">'
    if shop.kind == "xua":
        head += '<meta http-equiv="x-ua-compatible" content="IE=edge">'
    head += "<title>%s</title></head><body>\n" % shop.seller
    if shop.kind == "sparse":
        body = '<div class="info"><a href="#">掌柜：%s</a><br></div>\n' % shop.seller
    else:
        body = ('<div class="hd"><a class="name" href="//store.example/tbwmdd.1.044">%s的店<i id="ic"></i></a></div>\n'
                '<div class="info"><a href="#">掌柜：%s</a><br>'
                '开店时间：<span class="id-time">%s</span></div>\n'
                '<a href="//shop%d.taobao.example" target="_blank">进入店铺</a>\n'
                % (shop.seller, shop.seller, shop.date, shop.id))
        if shop.protected:
            body += "<p>该店铺已签署消费者保障协议</p>\n"
    page = gbk(head + body)
    tail = b"</body></html>"
    if shop.goods == "none":
        target = 76001 + (shop.id * 7919) % 2498          # inside 76001 .. 78498
    else:
        target = 85000 + (shop.id * 104729) % 40000       # well above the window
    pad = max(0, target - len(page) - len(tail) - 9)
    return page + b"<!-- " + b"x" * pad + b" -->" + tail


class Market:
    def __init__(self, args):
        self.args = args
        self.rng = random.Random(args.seed)
        self.scenario = args.scenario
        self.shops = make_shops(args, self.rng)
        self.by_id = {s.id: s for s in self.shops}
        self.by_seller = {s.seller: s for s in self.shops}
        self.lock = threading.Lock()
        self.log = []
        self.active = 0
        self.peak = 0
        self.faults = {e: {} for e in ENDPOINTS}
        for fault in args.fault:
            endpoint, _, rest = fault.partition("=")
            kind, _, value = rest.partition(":")
            if endpoint not in ENDPOINTS or kind not in FAULT_KINDS:
                raise SystemExit("bad --fault %r" % fault)
            self.faults[endpoint][kind] = float(value or "1")
        self.stop = threading.Event()

    def scenario_file(self, name):
        if not self.scenario:
            return None
        path = os.path.join(self.scenario, name)
        return open(path, "rb").read() if os.path.exists(path) else None

    def base(self):
        return "http://127.0.0.1:%d" % self.args.port

    def config_page(self, update_link=None):
        fixed = self.scenario_file("config.html")
        if fixed is not None and update_link is None:
            return fixed
        page = "<html><body><!-- listing -->ming%s/listing.txtming\n" % self.base()
        update_link = update_link if update_link is not None else self.args.update_link
        if update_link is not None:
            page += "<!-- update -->kkkkkk%skkkkkk\n" % update_link
        return gbk(page + "</body></html>")

    def listing(self):
        fixed = self.scenario_file("listing.txt")
        if fixed is not None:
            return fixed
        lines = ["新开店铺列表 %s" % self.args.today.isoformat()]
        for s in self.shops:
            lines.append("<p>%s<p>%s<p>%s<p>%s/shop/%d<p>" % (
                s.seller, s.date, "是" if s.protected else "否", self.base(), s.id))
        lines.append("列表结束")
        return gbk("\r\n".join(lines) + "\r\n")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "fakemarket/1"

    def log_message(self, fmt, *args):
        if self.server.market.args.verbose:
            sys.stderr.write("fakemarket: " + (fmt % args) + "\n")

    # -- plumbing -------------------------------------------------------
    def setup(self):
        super().setup()
        # Headers and body go out in separate writes: without this, Nagle's
        # algorithm and the client's delayed ACK add 40 ms to every answer.
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def record(self, body):
        market = self.server.market
        url = urllib.parse.urlsplit(self.path)
        entry = {
            "time": time.time(), "method": self.command, "path": url.path, "query": url.query,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body": body.hex(), "concurrent": self.concurrent,
        }
        with market.lock:
            market.log.append(entry)
        if market.args.log:
            with market.lock, open(market.args.log, "a") as f:
                f.write(json.dumps(entry) + "\n")

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def send(self, status, body, ctype="text/html; charset=gbk", headers=()):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        for k, v in headers:
            self.send_header(k, v)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def fault(self, endpoint):
        """Applies the faults set for an endpoint; True when the answer is done."""
        market = self.server.market
        faults = market.faults.get(endpoint, {})
        if "delay" in faults:
            market.stop.wait(faults["delay"] / 1000.0)
        roll = market.rng.random()
        for kind in ("reset", "error", "hang", "oversize", "garbage"):
            share = faults.get(kind)
            if share is None:
                continue
            if roll < share:
                return self.inject(kind)
            roll -= share
        return False

    def inject(self, kind):
        if kind == "reset":
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.close_connection = True
            self.connection.close()
        elif kind == "error":
            self.send(500, b"<html>500 Internal Server Error</html>")
        elif kind == "hang":
            self.server.market.stop.wait(3600)
            self.close_connection = True
        elif kind == "oversize":
            size = int(self.server.market.args.oversize_mb * (1 << 20))
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(size))
            self.end_headers()
            chunk = b"<p>x" * 16384
            try:
                sent = 0
                while sent < size and not self.server.market.stop.is_set():
                    part = chunk[: min(len(chunk), size - sent)]
                    self.wfile.write(part)
                    sent += len(part)
            except OSError:
                pass
            self.close_connection = True
        elif kind == "garbage":
            body = b"head\r\n<p>\xff\xfe\x81<p>2024-1-1<p>\x00\x80<p>x\x00y<p>\r\n\xd6\r\n"
            self.send(200, body)
        return True

    # -- endpoints ------------------------------------------------------
    def do_GET(self):
        self.dispatch(b"")

    def do_HEAD(self):
        self.dispatch(b"")

    def do_POST(self):
        self.dispatch(self.read_body())

    def dispatch(self, body):
        # Requests in flight (an idle keep-alive connection is not one).
        market = self.server.market
        with market.lock:
            market.active += 1
            market.peak = max(market.peak, market.active)
            self.concurrent = market.active
        try:
            self.answer(body)
        finally:
            with market.lock:
                market.active -= 1

    def answer(self, body):
        self.record(body)
        self.route(body)

    def answer_plain(self):
        self.route(b"")

    def route(self, body):
        market = self.server.market
        url = urllib.parse.urlsplit(self.path)
        path, query = url.path, urllib.parse.parse_qs(url.query, keep_blank_values=True)
        parts = path.split("/")
        if len(parts) >= 3 and parts[1] in ("f", "fs"):
            return self.faulty(parts[1], parts[2], "/" + "/".join(parts[3:]), query)
        host = (self.headers.get("Host") or "").split(":")[0]
        if path == "/" and host == "localhost":
            self.send(200, gbk("<html><body><h1>简单的使用说明</h1></body></html>"))
        elif path == "/":
            if not self.fault("config"):
                self.send(200, market.config_page())
        elif path == "/with-update/":
            self.send(200, market.config_page(market.base() + "/download"))
        elif path == "/listing.txt":
            if not self.fault("listing"):
                self.send(200, market.listing(), "text/plain; charset=gbk")
        elif path.startswith("/shop/"):
            if self.fault("shop"):
                return
            fixed = market.scenario_file("shop_%s.html" % path[6:])
            shop = market.by_id.get(int(path[6:])) if path[6:].isdigit() else None
            if fixed is not None:
                self.send(200, fixed)
            elif shop is None:
                self.send(404, b"<html>404</html>")
            else:
                self.send(200, shop_page(shop, market.rng))
        elif path == "/online.aw":
            if self.fault("online"):
                return
            uid = urllib.parse.unquote_to_bytes(query.get("uid", [""])[0])
            try:
                seller = uid.decode("utf-8")
            except UnicodeDecodeError:
                seller = ""
            shop = market.by_seller.get(seller)
            online = shop is not None and shop.online
            fixed = market.scenario_file("online.txt")
            if fixed is not None:
                online = online or seller in fixed.decode("utf-8").split()
            answer = b"GIF89a\x01\x00\x01\x00" + (ONLINE_SIGNATURE if online else b"\x80\x00\x00\xff\xff\xff\x00\x00\x00\x3b")
            self.send(200, answer, "image/gif")
        elif path == "/echo":
            raw = ("%s %s %s\r\n" % (self.command, self.path, self.request_version)).encode("latin-1")
            raw += b"".join(("%s: %s\r\n" % (k, v)).encode("latin-1") for k, v in self.headers.items())
            self.send(200, raw + b"\r\n" + body, "text/plain")
        elif path == "/cookies":
            sets = [c for c in query.get("set", [""])[0].split(";") if c]
            received = (self.headers.get("Cookie") or "").encode("latin-1")
            self.send(200, received, "text/plain", [("Set-Cookie", c + "; path=/") for c in sets])
        elif path == "/bytes/gbk-zero":
            self.send(200, gbk("中文") + b"\x00" + gbk("ming之后"), "text/plain")
        elif path == "/big":
            market.args.oversize_mb = float(query.get("mb", ["1"])[0])
            self.inject("oversize")
        elif path == "/slow":
            market.stop.wait(float(query.get("ms", ["0"])[0]) / 1000.0)
            self.send(200, b"slow")
        elif path == "/__log":
            with market.lock:
                data = json.dumps(market.log).encode()
            self.send(200, data, "application/json")
        elif path == "/__stats":
            with market.lock:
                data = json.dumps({"requests": len(market.log), "peak": market.peak}).encode()
            self.send(200, data, "application/json")
        elif path == "/__reset":
            with market.lock:
                market.log.clear()
                market.peak = market.active
            self.send(200, b"ok", "text/plain")
        else:
            self.send(404, b"<html>404</html>")


def _faulty(self, family, kind, rest, query):
    """Path-selected faults, so one simulator serves every fault test."""
    market = self.server.market
    prefix = "/%s/%s" % (family, kind)
    if rest == "/":
        listing = "%s%s/listing.txt" % (market.base(), prefix)
        if query.get("n"):
            listing += "?n=" + query["n"][0]
        self.send(200, gbk("<html>ming%sming</html>" % listing))
        return
    if family == "fs" and rest == "/listing.txt":
        shops = market.shops[: int(query["n"][0])] if query.get("n") else market.shops
        lines = ["heading"] + ["<p>%s<p>%s<p>否<p>%s/f/%s/shop/%d<p>" % (s.seller, s.date, market.base(), kind, s.id)
                               for s in shops] + ["end"]
        self.send(200, gbk("\r\n".join(lines) + "\r\n"))
        return
    if kind.startswith("delay"):
        market.stop.wait(int(kind[5:] or "0") / 1000.0)
    elif kind == "million":
        line = b"<p>seller%07d<p>2000-1-1<p>\xb7\xf1<p>http://127.0.0.1/shop/1<p>\r\n"
        body = b"heading\r\n" + b"".join(line % i for i in range(1000000)) + b"end\r\n"
        self.send(200, body, "text/plain")
        return
    elif kind in ("reset", "error", "hang", "oversize", "garbage"):
        self.inject(kind)
        return
    self.path = rest + ("?" + urllib.parse.urlencode(query, doseq=True) if query else "")
    self.answer_plain()


Handler.faulty = _faulty


class Server(ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 256
    allow_reuse_address = True


def parse_args(argv):
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--port", type=int, default=8931, help="port on 127.0.0.1 (default 8931, the port Varlen's defaults point at); 0 picks a free one")
    p.add_argument("--shops", type=int, default=300, help="shops in the listing (default 300)")
    p.add_argument("--days", type=int, default=7, help="opening dates spread over this many days before --today (default 7)")
    p.add_argument("--today", type=datetime.date.fromisoformat, default=datetime.date.today(), help="the listing's date, YYYY-MM-DD (default: today)")
    p.add_argument("--seed", type=int, default=1, help="random seed of the generated shops (default 1)")
    p.add_argument("--online-share", type=float, default=0.4, help="share of sellers online (default 0.4)")
    p.add_argument("--protected-share", type=float, default=0.3, help="share of shops with consumer protection (default 0.3)")
    p.add_argument("--goods-share", type=float, default=0.4, help="share of shops whose page length says they have goods (default 0.4)")
    p.add_argument("--limited-share", type=float, default=0.02, help='share of shop pages saying "亲，访问受限了" (default 0.02)')
    p.add_argument("--xua-share", type=float, default=0.02, help='share of shop pages containing "x-ua-compatible" (default 0.02)')
    p.add_argument("--sparse-share", type=float, default=0.02, help="share of shop pages missing every pattern but the seller line (default 0.02)")
    p.add_argument("--update-link", default=None, help="announce an update with this link (between two kkkkkk)")
    p.add_argument("--fault", action="append", default=[], metavar="ENDPOINT=KIND[:VALUE]",
                   help="inject a fault on config, listing, shop or online: delay:MS, or reset, error (500), "
                        "hang (never answers), oversize, garbage (invalid GBK and zero bytes) with :SHARE "
                        "of the requests (default 1); repeatable")
    p.add_argument("--oversize-mb", type=float, default=100, help="size of an oversized body in MiB (default 100)")
    p.add_argument("--scenario", default=None, help="folder with fixed files: config.html, listing.txt, shop_<id>.html, online.txt (sellers online, one per line)")
    p.add_argument("--log", default=None, help="also append every request as a JSON line to this file")
    p.add_argument("--ready-file", default=None, help="write the served address to this file once listening")
    p.add_argument("--verbose", action="store_true", help="print every request on stderr")
    return p.parse_args(argv)


def main(argv=None):
    args = parse_args(argv)
    server = Server(("127.0.0.1", args.port), Handler)
    args.port = server.server_address[1]
    server.market = Market(args)
    address = "http://127.0.0.1:%d/" % args.port

    def stop(*_):
        server.market.stop.set()
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print("fakemarket serving on %s" % address, flush=True)
    if args.ready_file:
        with open(args.ready_file + ".tmp", "w") as f:
            f.write(address)
        os.replace(args.ready_file + ".tmp", args.ready_file)
    server.serve_forever(poll_interval=0.2)
    server.server_close()


if __name__ == "__main__":
    main()
