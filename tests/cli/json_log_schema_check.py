#!/usr/bin/env python3
"""Runs every palereed-flash command with --json against simulated products,
success and failure alike, and validates each line of output against the
checked-in JSON Schema. Every run must end with exactly one result line, and
the digests it logs must be those of the bytes concerned.

Usage: json_log_schema_check.py PALEREED_FLASH SCHEMA DEMO_HEX
"""
import hashlib
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

TOOL, SCHEMA, DEMO_HEX = sys.argv[1:4]
SIM = ["--simulate", "--sim-clock=virtual"]


def run(args, cwd):
    done = subprocess.run([TOOL, "--json"] + args, cwd=cwd, capture_output=True, text=True,
                          timeout=120)
    lines = [json.loads(line) for line in done.stdout.splitlines()]
    return done.returncode, lines


def main():
    validator = jsonschema.Draft202012Validator(json.load(open(SCHEMA)))
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        backup = os.path.join(folder, "backup.bin")
        runs = {
            "list": ["list"] + SIM + ["--sim-isp"],
            "update": ["update", DEMO_HEX, "--yes"] + SIM,
            "update --all": ["update", DEMO_HEX, "--yes", "--all"] + SIM + ["--simulate"],
            "update refused": ["update", DEMO_HEX, "--yes", "--simulate=3", "--sim-clock=virtual"],
            "update failed": ["update", DEMO_HEX, "--yes", "--sim-fault=fail@40"] + SIM,
            "verify": ["verify", DEMO_HEX] + SIM,
            "read": ["read", backup, "--length", "4096"] + SIM,
            "info": ["info"] + SIM,
            "info isp": ["info"] + SIM + ["--sim-isp"],
            "no device": ["info", "--device", "9-9"] + SIM,
            "wait": ["info", "--wait=1"] + SIM[1:],
            "serial": ["info", "--serial", "QVUA170204"] + SIM + ["--simulate"],
            "station": ["update", DEMO_HEX, "--all", "--wait=1", "--yes"] + SIM + ["--simulate"],
            "check": ["check", DEMO_HEX],
            "check refused": ["check", DEMO_HEX, "--product", "f069"],
            "usage": ["list", "--bogus"],
            "usage late": ["update", "--all", "--device", "1-2"] + SIM,
        }
        results = {}
        for name, args in runs.items():
            code, lines = run(args, folder)
            for line in lines:
                for error in validator.iter_errors(line):
                    failures.append(f"{name}: {error.message} in {json.dumps(line)}")
            ends = [line for line in lines if line.get("event") == "result"]
            if len(ends) != 1 or lines[-1] is not ends[0] or ends[0]["exit_code"] != code:
                failures.append(f"{name}: exit {code}, not one closing result line: {lines}")
                continue
            results[name] = ends[0]
            # The run's duration is on the clock its progress lines go by (a
            # station's includes its waiting for boards).
            elapsed = [line["elapsed_ms"] for line in lines if "elapsed_ms" in line]
            if elapsed and name != "station" and not max(elapsed) <= ends[0]["duration_ms"] <= max(elapsed) + 1000:
                failures.append(f"{name}: duration_ms not on the run's clock: {ends[0]}")
        with open(backup, "rb") as read:
            if results.get("read", {}).get("sha256") != hashlib.sha256(read.read()).hexdigest():
                failures.append(f"read: sha256 is not that of the file read: {results.get('read')}")
        for name in ("update", "verify", "read", "info"):
            if not results.get(name, {}).get("requests"):
                failures.append(f"{name}: no requests counted: {results.get(name)}")
        # The second simulated product, found by its own serial on its own clock.
        if results.get("serial", {}).get("serial") != "QVUA170204":
            failures.append(f"serial: not the product asked for: {results.get('serial')}")
        written = results.get("update", {})
        if written.get("sha256") != results.get("verify", {}).get("sha256") or not written.get("serial"):
            failures.append(f"update: image or serial not logged as verify sees it: {written}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
