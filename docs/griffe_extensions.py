"""Griffe extension for the API reference: the constructor on the class heading.

The stubs declare each constructor as `__new__`, which is what the extension
module defines. The reference shows it as the call a user writes,
`Vec3d(x: float, y: float, z: float)`: this extension gives the documented
class an `__init__` with the parameters of `__new__` (less `cls`), which the
handler's `merge_init_into_class` puts on the class, and moves the
constructor's words into the class's docstring after its first paragraph
(sections such as Raises and Examples join the class's own). Only the loaded
documentation changes; the stubs stay as the runtime is.
"""

import re
from typing import Any

import griffe


# A section of a Google-style docstring starts with an unindented "Name:" line.
SECTION = re.compile(r"^([A-Z]\w*):$", re.MULTILINE)


def _sections(text: str) -> tuple[str, dict[str, str]]:
    """The text before the first section, and each section's indented body."""
    parts = SECTION.split(text)
    return parts[0].strip(), {name: body.strip("\n") for name, body in zip(parts[1::2], parts[2::2])}


def _merged(class_text: str, constructor_text: str) -> str:
    """The class's first paragraph, the constructor's text, the rest of the
    class's text; then the sections of both, a section they share once."""
    class_body, class_sections = _sections(class_text)
    constructor_body, constructor_sections = _sections(constructor_text)
    summary, _, rest = class_body.partition("\n\n")
    sections = dict(class_sections)
    for name, body in constructor_sections.items():
        sections[name] = f"{sections[name]}\n\n{body}" if name in sections else body
    text = "\n\n".join(part for part in (summary, constructor_body, rest) if part)
    return "\n\n".join([text, *(f"{name}:\n{body}" for name, body in sections.items())])


class ConstructorOnClass(griffe.Extension):
    def on_class_members(self, *, cls: griffe.Class, **kwargs: Any) -> None:
        new = cls.members.get("__new__")
        if not isinstance(new, griffe.Function) or "__init__" in cls.members:
            return
        first, *parameters = new.parameters
        init = griffe.Function(
            "__init__",
            parameters=griffe.Parameters(
                griffe.Parameter("self", kind=griffe.ParameterKind.positional_only), *parameters
            ),
            lineno=new.lineno,
            endlineno=new.endlineno,
        )
        cls.del_member("__new__")
        cls.set_member("__init__", init)
        if new.docstring is not None and cls.docstring is not None:
            cls.docstring.value = _merged(cls.docstring.value, new.docstring.value)
