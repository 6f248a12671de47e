#!/usr/bin/python3
"""Validates a JSON file against a JSON schema, offline.

usage: validate_json_schema.py SCHEMA FILE
Exit status 0 when valid, 1 when not (the violations on stdout), 2 when it cannot run.
"""
import json
import sys

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is missing: run scripts/setup.sh")
    sys.exit(2)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    with open(sys.argv[2], encoding="utf-8") as f:
        document = json.load(f)
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    errors = sorted(validator_class(schema).iter_errors(document), key=lambda e: list(e.absolute_path))
    for e in errors:
        print("/".join(str(p) for p in e.absolute_path) + ": " + e.message)
    return 1 if errors else 0


sys.exit(main())
