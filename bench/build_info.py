"""What a meson build directory builds the module with: the options that decide the
code and the compiler's flags for the extension module's sources. scripts/bench prints
them for the build pip installed from, and sets up the C++ benchmark's build with the
same options.

Usage: build_info.py setup-args BUILD_DIR   prints -Dname=value for each such option
       build_info.py show BUILD_DIR [--same-as OTHER_DIR] [--json FILE]
           prints the options and flags (and whether OTHER_DIR compiles the module with
           the same flags), and writes them as JSON
"""
import argparse
import json
import os
import shlex

# The options that change the machine code; buildtype follows from optimization and debug.
CODE_OPTIONS = ("optimization", "debug", "b_ndebug", "b_lto", "cpp_args", "cpp_link_args")


def options(build_dir):
    with open(os.path.join(build_dir, "meson-info", "intro-buildoptions.json")) as f:
        every = {option["name"]: option["value"] for option in json.load(f)}
    return {name: every[name] for name in ("buildtype",) + CODE_OPTIONS if name in every}


def setup_args(build_dir):
    args = []
    for name, value in options(build_dir).items():
        if name == "buildtype":
            continue
        if isinstance(value, bool):
            value = str(value).lower()
        elif isinstance(value, list):
            value = ",".join(value)
        args.append(f"-D{name}={value}")
    return args


def module_flags(build_dir):
    """The compiler flags of the extension module's src/module.cpp, without the file
    names, include directories and dependency-file arguments that differ by directory."""
    with open(os.path.join(build_dir, "compile_commands.json")) as f:
        commands = json.load(f)
    for entry in commands:
        output = entry.get("output", "")
        if entry["file"].endswith("src/module.cpp") and output.startswith("charlore."):
            words = shlex.split(entry["command"])[1:]
            flags, skip = [], False
            for word in words:
                if skip:
                    skip = False
                elif word in ("-o", "-c", "-MQ", "-MF"):
                    skip = True
                elif not (word.startswith("-I") or word in ("-MD", "-fdiagnostics-color=always")):
                    flags.append(word)
            return flags
    raise SystemExit(f"build_info.py: no compile command of src/module.cpp in {build_dir}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("command", choices=("setup-args", "show"))
    parser.add_argument("build_dir")
    parser.add_argument("--same-as")
    parser.add_argument("--json")
    arguments = parser.parse_args()
    if arguments.command == "setup-args":
        print(" ".join(shlex.quote(arg) for arg in setup_args(arguments.build_dir)))
        return
    info = dict(options=options(arguments.build_dir), flags=" ".join(module_flags(arguments.build_dir)))
    print("build options: " + ", ".join(f"{name}={value}" for name, value in info["options"].items()))
    print(f"compiler flags: {info['flags']}")
    if arguments.same_as:
        info["cpp_level_same_flags"] = module_flags(arguments.same_as) == module_flags(arguments.build_dir)
        verdict = "the same" if info["cpp_level_same_flags"] else "DIFFERENT: " + " ".join(
            module_flags(arguments.same_as))
        print(f"C++ level build ({arguments.same_as}): {verdict}")
    if arguments.json:
        with open(arguments.json, "w") as f:
            json.dump(info, f, indent=1)


if __name__ == "__main__":
    main()
