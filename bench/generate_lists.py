#!/usr/bin/env python3
"""Writes a deterministic set of realistic blacklist files for the benchmarks.

    generate_lists.py N OUT_DIR [--seed S]

OUT_DIR/imail/url-domain-bl.txt   the Main list: sorted, about 95% of it also in the factory list
OUT_DIR/data/url-domain-add.txt   30,000 hand additions, some already listed
OUT_DIR/data/url-domain-rem.txt   30,000 hand removals, most of them in the factory list
OUT_DIR/factory.txt               the factory list: N lines in vendor order, with blank lines and
                                  repeated domains inside
Every file has CR LF after each line, as the program writes them.
"""
import argparse
import os
import random

TLDS = (["com"] * 40 + ["net"] * 10 + ["org"] * 6 + ["ru"] * 6 + ["info"] * 5 + ["biz"] * 3 +
        ["cn"] * 4 + ["de"] * 3 + ["xyz"] * 3 + ["top"] * 3 + ["co.uk"] * 2 + ["com.br"] * 2 +
        ["pl"] * 2 + ["in"] * 2 + ["online"] * 2 + ["site"] * 2 + ["us", "eu", "io", "me", "tk",
                                                                    "club", "shop", "work"])
SUBDOMAINS = ["www", "mail", "m", "shop", "secure", "login", "cdn", "app", "my", "news"]
SYLLABLES = ["ka", "lo", "mi", "net", "pro", "web", "sun", "tec", "max", "zen", "bit", "lux",
             "nova", "star", "go", "ex", "best", "cash", "deal", "pay", "win", "top", "bio",
             "med", "pharm", "loan", "bet", "hot", "free", "sale", "vip", "click", "link", "one"]
LETTERS = "abcdefghijklmnopqrstuvwxyz"
ALNUM = LETTERS + "0123456789"


def domains(rng):
    """An endless stream of plausible spam domains, some repeated by chance."""
    while True:
        style = rng.random()
        if style < 0.45:
            label = "".join(rng.choice(SYLLABLES) for _ in range(rng.randint(2, 4)))
            if rng.random() < 0.3:
                label += str(rng.randint(1, 999))
        elif style < 0.8:
            label = "".join(rng.choice(ALNUM) for _ in range(rng.randint(5, 14)))
        else:
            label = (rng.choice(SYLLABLES) + "-" +
                     "".join(rng.choice(LETTERS) for _ in range(rng.randint(3, 9))))
        domain = label + "." + rng.choice(TLDS)
        if rng.random() < 0.12:
            domain = rng.choice(SUBDOMAINS) + "." + domain
        if rng.random() < 0.002:
            domain = domain.capitalize()
        yield domain


def unique_domains(rng, count, taken):
    out = []
    for domain in domains(rng):
        if len(out) == count:
            return out
        if domain not in taken:
            taken.add(domain)
            out.append(domain)


def write_list(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("latin-1"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("n", type=int)
    parser.add_argument("out")
    parser.add_argument("--seed", type=int, default=20240611)
    args = parser.parse_args()
    rng = random.Random(args.seed + args.n)
    n = args.n
    hand = 30000

    repeats = n // 100
    blanks = n // 500
    taken = set()
    factory_domains = unique_domains(rng, n - repeats - blanks, taken)
    dropped = unique_domains(rng, n // 20, taken)  # in the old Main list, gone from the factory
    new_hand = unique_domains(rng, hand // 2, taken)  # hand additions nobody lists yet

    # The old Main list: 95% of the factory's domains and the ones the vendor dropped since,
    # saved sorted by an earlier merge.
    main_list = rng.sample(factory_domains, len(factory_domains) * 95 // 100) + dropped
    main_list.sort(key=lambda d: d.encode("latin-1"))

    added = rng.sample(factory_domains, hand // 4) + rng.sample(dropped, hand // 4) + new_hand
    rng.shuffle(added)
    added += added[:50]  # a few added twice

    removed = rng.sample(factory_domains, hand - hand // 10) + unique_domains(rng, hand // 10, taken)
    rng.shuffle(removed)
    removed[100:100] = added[:20]  # some both added and removed
    del removed[hand:]

    # The factory list in vendor order: N lines with repeated domains and blank lines inside.
    factory = factory_domains + [rng.choice(factory_domains) for _ in range(repeats)] + [""] * blanks
    rng.shuffle(factory)

    write_list(os.path.join(args.out, "imail", "url-domain-bl.txt"), main_list)
    write_list(os.path.join(args.out, "data", "url-domain-add.txt"), added)
    write_list(os.path.join(args.out, "data", "url-domain-rem.txt"), removed)
    write_list(os.path.join(args.out, "factory.txt"), factory)


if __name__ == "__main__":
    main()
