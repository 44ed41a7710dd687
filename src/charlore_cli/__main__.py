"""Lets `python3 -m charlore_cli` run the command."""
from charlore_cli.command import main

raise SystemExit(main())
