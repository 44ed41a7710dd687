"""The type stub charlore.pyi: installed beside the module, valid Python whose annotations
all resolve, naming exactly what the module offers, and with signatures that agree with
the text signatures the module gives its functions and methods."""
import builtins
import inspect
import pathlib
import types
import typing

import pytest

import charlore

SOURCE_STUB = pathlib.Path(__file__).resolve().parents[2] / "src" / "charlore.pyi"
INSTALLED_STUB = pathlib.Path(charlore.__file__).with_name("charlore.pyi")
QUERIES = ["decimal", "digit", "numeric", "category", "bidirectional", "combining",
           "mirrored", "east_asian_width", "decomposition", "name", "lookup", "normalize",
               "is_normalized"]
# Queries of the current database alone: module functions only.
MODULE_QUERIES = ["graphemes", "words", "sentences", "line_breaks", "width",
                  "script", "script_extensions", "block", "age", "property", "code_points",
                  "search"]


def load_stub(path):
    """Runs the stub as a module of its own, so that every annotation is evaluated."""
    module = types.ModuleType("charlore_stub")
    exec(compile(path.read_text(encoding="utf-8"), str(path), "exec"), module.__dict__)
    return module


STUB = load_stub(SOURCE_STUB)


def text_signature(callable_object):
    """(parameter names, number of required ones, self included) from the module's own
    text signature, which marks every parameter positional-only and the optional ones
    with a default."""
    text = callable_object.__text_signature__
    assert text.startswith("(") and text.endswith(", /)"), text
    names, required = [], 0
    for part in text[1:-4].split(", "):
        name, has_default, _ = part.partition("=")
        names.append(name.lstrip("$"))
        if not has_default:
            assert required == len(names) - 1, "a required parameter after an optional one"
            required += 1
    return names, required


def stub_variants(owner, query):
    """The stub's overloads of owner.query (owner "module" or "UCD"), or its one definition.
    An overloaded name is bound to typing's placeholder, so the overloads are found by
    their module and qualified name."""
    qualname = query if owner == "module" else f"UCD.{query}"
    key = types.SimpleNamespace(__module__=STUB.__name__, __qualname__=qualname)
    return typing.get_overloads(key) or [getattr(STUB if owner == "module" else STUB.UCD, query)]


def stub_arities(owner, query):
    """Parameter name lists of the stub's variants, shortest first; every parameter
    positional-only, without default and, except self, annotated."""
    lists = []
    for variant in stub_variants(owner, query):
        parameters = inspect.signature(variant).parameters.values()
        assert all(p.kind is inspect.Parameter.POSITIONAL_ONLY for p in parameters)
        assert all(p.default is inspect.Parameter.empty for p in parameters)
        assert all(p.annotation is not inspect.Parameter.empty for p in parameters
                   if p.name != "self")
        lists.append([p.name for p in parameters])
    return sorted(lists, key=len)


@pytest.mark.installed
def test_installed_stub_is_the_source_stub():
    assert INSTALLED_STUB.read_bytes() == SOURCE_STUB.read_bytes()


def test_stub_names_exactly_the_public_attributes():
    defined = set(vars(STUB)) | set(STUB.__annotations__)
    public = {name for name in defined if not name.startswith("_")} - set(dir(typing))
    assert public == {name for name in vars(charlore) if not name.startswith("_")}


def test_private_stub_names_are_only_type_helpers():
    # stubtest passes over private names, so a stub listing the exported C functions
    # (_PyCharlore_...), which are no attributes of the module, must be caught here.
    # The builtins module is there too: the module's own `property` hides the builtin one.
    private = {name: value for name, value in vars(STUB).items()
               if name.startswith("_") and not name.startswith("__")}
    assert private and all(isinstance(value, typing.TypeVar) or typing.get_origin(value) is not None
                           or value is builtins for value in private.values()), private


OWNED_QUERIES = [(owner, query) for query in QUERIES for owner in ("module", "UCD")] + \
    [("module", query) for query in MODULE_QUERIES]


@pytest.mark.parametrize("owner, query", OWNED_QUERIES)
def test_signatures_agree(query, owner):
    runtime = getattr(charlore if owner == "module" else charlore.UCD, query)
    names, required = text_signature(runtime)
    if owner == "module":  # the module is the self of its functions and is not passed
        names, required = names[1:], required - 1
    # One overload per accepted number of arguments, each naming the leading parameters.
    assert stub_arities(owner, query) == [names[:count] for count in range(required, len(names) + 1)]


@pytest.mark.parametrize("owner, query", OWNED_QUERIES)
def test_annotations_resolve(query, owner):
    for variant in stub_variants(owner, query):
        assert "return" in typing.get_type_hints(variant)


def test_version_and_objects():
    hints = typing.get_type_hints(STUB)
    assert hints["unidata_version"] == typing.Final[str]
    assert hints["ucd_3_2_0"] == typing.Final[STUB.UCD]
    assert typing.get_type_hints(STUB.UCD.unidata_version.fget)["return"] is str


def test_normalize_forms_are_the_four_forms():
    form, = (typing.get_type_hints(variant)["form"] for variant in stub_variants("module", "normalize"))
    assert set(typing.get_args(form)) == {"NFC", "NFD", "NFKC", "NFKD"}


# Calls whose results must have the types the stub promises, with and without a default.
CALLS = [
    ("category", ("A",)), ("bidirectional", ("A",)), ("combining", ("\u0301",)),
    ("mirrored", ("(",)), ("east_asian_width", ("\u3042",)),
    ("decimal", ("7",)), ("decimal", ("a", None)), ("decimal", ("7", None)),
    ("digit", ("\u00b2",)), ("digit", ("a", "none")),
    ("numeric", ("\u00bd",)), ("numeric", ("a", -1)), ("numeric", ("7", -1)),
    ("name", ("A",)), ("name", ("\u0000", None)), ("name", ("A", None)),
    ("lookup", ("SPACE",)), ("lookup", (b"SPACE",)),
    ("decomposition", ("\u00c0",)), ("normalize", ("NFKD", "\ufb01")),
    ("is_normalized", ("NFC", "e\u0301")), ("is_normalized", ("NFD", "")),
]
MODULE_CALLS = [("graphemes", ("e\u0301\U0001f1eb\U0001f1f7",)), ("words", ("Hi there",)),
                ("sentences", ("Hi. There.",)), ("line_breaks", ("a b\n",)), ("width", ("\u65e5",)),
                ("script", ("A",)), ("script_extensions", ("\u0660",)), ("block", ("A",)), ("age", ("A",)),
                ("property", ("Alpha", "A")), ("property", ("lb", "A")), ("property", ("ccc", "\u0301")),
                ("property", ("nv", "\u00bd")), ("property", ("nv", "A")),
                ("code_points", ("sc", "Han")), ("search", ("arrow",))]


def result_matches(query, arguments, database):
    """Whether database.query(*arguments) has the type of the stub overload with as many
    parameters; a default argument may also come back itself."""
    for variant in stub_variants("module", query):
        if len(inspect.signature(variant).parameters) == len(arguments):
            expected = typing.get_type_hints(variant)["return"]
    result = getattr(database, query)(*arguments)
    allowed = tuple(t for t in typing.get_args(expected) if isinstance(t, type)) or (expected,)
    return isinstance(result, allowed) or (len(arguments) == 2 and result is arguments[1])


@pytest.mark.parametrize("query, arguments", CALLS)
def test_results_have_the_stub_types(database, query, arguments):
    assert result_matches(query, arguments, database)


def conforms(value, hint):
    """Whether value has the type hint, looking into list, tuple and union hints."""
    origin, arguments = typing.get_origin(hint), typing.get_args(hint)
    if origin is types.UnionType:
        return any(conforms(value, h) for h in arguments)
    if origin is list:
        return isinstance(value, list) and all(conforms(item, arguments[0]) for item in value)
    if origin is tuple and arguments[-1:] == (Ellipsis,):
        return isinstance(value, tuple) and all(conforms(item, arguments[0]) for item in value)
    if origin is tuple:
        return isinstance(value, tuple) and len(value) == len(arguments) and \
            all(conforms(item, h) for item, h in zip(value, arguments))
    return type(value) is hint


@pytest.mark.parametrize("query, arguments", MODULE_CALLS)
def test_module_query_results_have_the_stub_types(query, arguments):
    variant, = stub_variants("module", query)
    result = getattr(charlore, query)(*arguments)
    assert (result or result is None) and conforms(result, typing.get_type_hints(variant)["return"])
