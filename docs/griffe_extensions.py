"""Griffe extension for the API reference: the constructor on the class heading.

The stubs declare each constructor as `__new__`, which is what the extension
module defines. The reference shows it as the call a user writes,
`Vec3d(x: float, y: float, z: float)`: this extension gives the documented
class an `__init__` with the parameters of `__new__` (less `cls`), which the
handler's `merge_init_into_class` puts on the class, and moves the
constructor's words into the class's docstring, after its first paragraph.
Only the loaded documentation changes; the stubs stay as the runtime is.
"""

from typing import Any

import griffe


def _merged(class_text: str, constructor_text: str) -> str:
    summary, _, rest = class_text.partition("\n\n")
    return "\n\n".join(part for part in (summary, constructor_text, rest) if part)


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
