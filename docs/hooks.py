"""MkDocs hooks: keep the links of README.md and docs/*.md working on the site.

Those files are written to be read in the source tree, where they link to
sections of the README and to files outside docs/. On the site, README anchors
live on the page that includes that part of the README, and source files are
not published, so their links become plain path names.
"""

import re
from typing import Any

from mkdocs.structure.pages import Page

# Anchor of a README section -> the page that includes that section.
README_ANCHORS = {"rotations": "conventions.md"}

# A link into the source tree outside docs/, as the include plugin leaves it.
SOURCE_LINK = re.compile(r"\[[^\]]*\]\((?:\.\./)+((?:examples|bench|tools|core|module|tests)/[^)]*)\)")
ANCHOR_LINK = re.compile(r"\]\(#([\w-]+)\)")


def on_page_markdown(markdown: str, page: Page, **kwargs: Any) -> str:
    markdown = SOURCE_LINK.sub(lambda match: f"`{match[1]}`", markdown)

    def anchor(match: re.Match[str]) -> str:
        target = README_ANCHORS.get(match[1])
        if target is None or target == page.file.src_uri:
            return match[0]
        return f"]({target}#{match[1]})"

    return ANCHOR_LINK.sub(anchor, markdown)
