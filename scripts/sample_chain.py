#!/usr/bin/env python3
"""Writes the made-up option chain and quotes of docs/examples/, or a large chain for a benchmark.

Every price comes from the Black-Scholes-Merton model at a volatility with a smile; nothing here
is market data. The output is the same on every run: the random numbers come from a fixed seed.

  scripts/sample_chain.py                        # docs/examples/chain.csv and quotes.csv
  scripts/sample_chain.py --calls 1500000 [--quotes big-quotes.csv] > big.csv
"""
import argparse
import datetime
import os
import math
import random
import signal
import sys
from pathlib import Path

AS_OF = datetime.date(2026, 12, 18)
RATE = 0.045  # continuously compounded
SEED = 20261218
QUOTES_HEADER = "symbol,price,dividend,ex_dividend\n"
HEADER = "symbol,expiry,strike,bid,ask,last,type,volume,open_interest,iv,underlying_price\n"
STRIKES = 20
NAMES = 26**4  # the large chain's symbols, ZAAAA to ZZZZZ
# (share price below, strike step)
STEPS = ((20.0, 0.5), (50.0, 1.0), (200.0, 2.5), (math.inf, 5.0))


def third_friday(year, month):
    first = datetime.date(year, month, 1)
    return first + datetime.timedelta(days=(4 - first.weekday()) % 7 + 14)


EXPIRIES = [third_friday(y, m) for y, m in ((2027, 1), (2027, 2), (2027, 3), (2027, 6))]


class Underlying:
    """A made-up share: its price, its one dividend (if any) and the shape of its smile."""

    def __init__(self, symbol, price, base_sigma, skew, liquidity, dividend=0.0, ex_date=None):
        self.symbol, self.price, self.base_sigma, self.skew = symbol, price, base_sigma, skew
        self.liquidity, self.dividend, self.ex_date = liquidity, dividend, ex_date

    def sigma(self, strike):
        # Dearer wings on both sides, and dearer still below the share price (the skew).
        m = math.log(strike / self.price)
        return self.base_sigma * (1.0 + 2.0 * m * m) - self.skew * m

    def strikes(self):
        step = next(step for below, step in STEPS if self.price < below)
        low = max(step, (math.floor(self.price / step) - STRIKES // 2 + 1) * step)
        return [low + i * step for i in range(STRIKES)]


SAMPLE = [
    Underlying("ZORB", 42.50, 0.38, 0.12, 900),
    Underlying("KWLT", 118.00, 0.22, 0.08, 2500, 0.85, datetime.date(2027, 2, 10)),
    Underlying("FNXQ", 310.00, 0.30, 0.10, 1500, 1.20, datetime.date(2027, 4, 14)),
]


def normal_cdf(x):
    return 0.5 * math.erfc(-x / math.sqrt(2.0))


def call_and_put(share, strike, years, sigma):
    """European values; share is the price with the dividend's present value already out."""
    root = sigma * math.sqrt(years)
    d1 = (math.log(share / strike) + (RATE + sigma * sigma / 2.0) * years) / root
    d2 = d1 - root
    discounted = strike * math.exp(-RATE * years)
    call = share * normal_cdf(d1) - discounted * normal_cdf(d2)
    put = discounted * normal_cdf(-d2) - share * normal_cdf(-d1)
    return max(call, 0.0), max(put, 0.0)


def cents(c):
    return f"{c // 100}.{c % 100:02d}"


def quote(value, rng):
    """bid, ask and last as text: the value rounded out to cents and a spread added each side."""
    half_spread = min(10, 1 + int(value / 2.0))
    bid = max(0, math.floor(value * 100.0) - half_spread)
    ask = math.ceil(value * 100.0) + half_spread
    last = "" if rng.random() < 0.12 else cents(bid + int(rng.random() * (ask - bid + 1)))
    return cents(bid), cents(ask), last


def activity(u, m, expiry_index, rng):
    """volume and open interest as text: most near the money and at the near expiries."""
    near = math.exp(-abs(m) * 12.0) / (1 + expiry_index)
    volume = int(u.liquidity * near * (0.2 + rng.random()))
    interest = int(volume * (3.0 + 10.0 * rng.random())) + int(50 * rng.random())
    return ("" if rng.random() < 0.05 else str(volume),
            "" if rng.random() < 0.05 else str(interest))


def rows(u, rng, kinds):
    """The chain of one share, a line at a time: for each expiry and strike, one per kind."""
    price_text = f"{u.price:.2f}"
    for index, expiry in enumerate(EXPIRIES):
        years = (expiry - AS_OF).days / 365.0
        share = u.price
        if u.ex_date and AS_OF < u.ex_date <= expiry:
            share -= u.dividend * math.exp(-RATE * (u.ex_date - AS_OF).days / 365.0)
        for strike in u.strikes():
            sigma = u.sigma(strike)
            values = dict(zip(("call", "put"), call_and_put(share, strike, years, sigma)))
            m = math.log(strike / u.price)
            for kind in kinds:
                bid, ask, last = quote(values[kind], rng)
                volume, interest = activity(u, m, index, rng)
                yield (f"{u.symbol},{expiry},{strike:.2f},{bid},{ask},{last},{kind},"
                       f"{volume},{interest},{sigma * 100.0:.2f},{price_text}\n")


def made_up(index, rng):
    """The index-th share of the large chain: five letters from ZAAAA on, priced $10 to $500."""
    letters = "".join(chr(ord("A") + index // 26 ** k % 26) for k in (3, 2, 1, 0))
    price = round(math.exp(rng.uniform(math.log(10.0), math.log(500.0))), 2)
    u = Underlying("Z" + letters, price, rng.uniform(0.20, 0.45), rng.uniform(0.05, 0.20),
                   int(rng.uniform(100, 3000)))
    if rng.random() < 0.4:
        u.dividend = round(price * rng.uniform(0.002, 0.012), 2)
        u.ex_date = AS_OF + datetime.timedelta(days=int(rng.uniform(1, 180)))
    return u


def quote_line(u):
    dividend = f"{u.dividend:.2f}" if u.ex_date else ""
    return f"{u.symbol},{u.price:.2f},{dividend},{u.ex_date or ''}\n"


def write_large(calls, out, quotes):
    rng = random.Random(SEED)
    out.write(HEADER)
    quotes.write(QUOTES_HEADER)
    index = 0
    while calls > 0:
        u = made_up(index, rng)
        lines = list(rows(u, rng, ("call",)))[:calls]
        out.write("".join(lines))
        quotes.write(quote_line(u))
        calls -= len(lines)
        index += 1


def write_sample(folder):
    folder.mkdir(parents=True, exist_ok=True)
    rng = random.Random(SEED)
    with open(folder / "chain.csv", "w", encoding="ascii", newline="") as chain:
        chain.write(HEADER)
        for u in SAMPLE:
            chain.writelines(rows(u, rng, ("call", "put")))
    with open(folder / "quotes.csv", "w", encoding="ascii", newline="") as quotes:
        quotes.write(QUOTES_HEADER)
        quotes.writelines(quote_line(u) for u in SAMPLE)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--calls", type=int, metavar="N",
                        help="write a chain of N made-up calls to standard output instead")
    parser.add_argument("--quotes", metavar="FILE",
                        help="with --calls: write the quotes of its symbols to FILE")
    args = parser.parse_args()
    try:
        run(parser, args)
    except OSError as error:
        sys.exit(f"{parser.prog}: cannot write {error.filename or 'the output'}: {error.strerror}")


def run(parser, args):
    most = NAMES * len(EXPIRIES) * STRIKES
    if args.calls is None:
        if args.quotes is not None:
            parser.error("--quotes goes with --calls")
        write_sample(Path(__file__).resolve().parent.parent / "docs" / "examples")
    elif not 0 <= args.calls <= most:
        parser.error(f"--calls takes a count from 0 to {most}")
    else:
        signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # `| head` ends it quietly, as it would cat
        with open(args.quotes or os.devnull, "w", encoding="ascii", newline="") as quotes:
            write_large(args.calls, sys.stdout, quotes)


if __name__ == "__main__":
    main()
