#!/usr/bin/env python3
"""A plain Python rank search over the simulated web, as a baseline for the
program's: 50 keywords x 8 result pages, each fetched with http.client
through simweb, taken through code page 936 and back, and searched with `re`
for the site's entries with the same two patterns. Prints the process CPU
time per page.

    bench/rank_search_baseline.py [SIMWEB] [--keywords N] [--pages N] [--rounds N]

SIMWEB is the simweb program (default: build-bench/simweb, then build/simweb).
"""

import argparse
import http.client
import os
import re
import subprocess
import sys
import time
import unicodedata
import urllib.parse

SEARCH_HOST = "www.baidu.com"
SITE = "www.example.com"
TABLE = re.compile(r'<table.*?id="(.*?)"[\s\S]*?</table>', re.IGNORECASE | re.MULTILINE)
ENTRY = re.compile(r"<span class=.g.>.*?</span>", re.IGNORECASE | re.MULTILINE)


def start_simweb(program):
    # Learning: the site asked about once (its home page) ranks for keywords.
    web = subprocess.Popen([program, "--port", "0", "--learn"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           text=True)
    line = web.stdout.readline()
    port = int(re.search(r"\d+", line).group(0))
    fetch(port, "http://%s/" % SITE, SITE)
    return web, port


def address(keyword, page):
    # The program's request: the keyword's UTF-8 bytes percent-encoded with
    # , - . / and letters and digits kept.
    term = urllib.parse.quote(keyword.encode("utf-8"), safe=",-./")
    return "http://%s/s?wd=%s&pn=%d&rn=100&ie=utf-8" % (SEARCH_HOST, term, (page - 1) * 100)


def fetch(port, url, host=SEARCH_HOST):
    connection = http.client.HTTPConnection("127.0.0.1", port)
    connection.request("GET", url, headers={"Host": host})
    body = connection.getresponse().read()
    connection.close()
    return body


def page_text(body):
    # As the program reads a page: UTF-8 (malformed bytes replaced), cut at
    # the first NUL, composed, through code page 936 and back.
    text = body.decode("utf-8", "replace").split("\0", 1)[0]
    text = unicodedata.normalize("NFC", text)
    return text.encode("cp936", "replace").decode("cp936", "replace")


def site_rank_entries(text, site):
    entries = ""
    for block in TABLE.finditer(text):
        for line in ENTRY.finditer(block.group(0)):
            if site in line.group(0):
                entries += block.group(1) + (". " if site + "/ " in line.group(0) else " ")
                break
    return entries


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("simweb", nargs="?")
    parser.add_argument("--keywords", type=int, default=50)
    parser.add_argument("--pages", type=int, default=8)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    program = args.simweb or next(
        (p for p in (os.path.join(root, "build-bench", "simweb"), os.path.join(root, "build", "simweb"))
         if os.path.exists(p)), None)
    if program is None:
        sys.exit("no simweb program: build it first or name it")

    web, port = start_simweb(program)
    try:
        keywords = ["网站优化%d" % k for k in range(1, args.keywords + 1)]
        results = []
        for _ in range(args.rounds):
            pages = 0
            page_bytes = 0
            ranks = []
            cpu_start = time.process_time()
            wall_start = time.perf_counter()
            for keyword in keywords:
                for page in range(1, args.pages + 1):
                    body = fetch(port, address(keyword, page))
                    page_bytes += len(body)
                    ranks.append(site_rank_entries(page_text(body), SITE))
                    pages += 1
            cpu = time.process_time() - cpu_start
            wall = time.perf_counter() - wall_start
            results.append((cpu * 1e6 / pages, pages / wall))
            found = sum(1 for r in ranks if r)
        cpu_per_page = sorted(r[0] for r in results)[len(results) // 2]
        pages_per_second = sorted(r[1] for r in results)[len(results) // 2]
        print("python %s: %d pages of %.0f bytes on average, %d rounds, median %.0f us process CPU per page, "
              "%.0f pages/s (pages where the site was found: %d)"
              % (sys.version.split()[0], pages, page_bytes / pages, args.rounds, cpu_per_page, pages_per_second,
                 found))
    finally:
        web.terminate()
        web.wait()


if __name__ == "__main__":
    main()
