"""MkDocs hooks: keep the links of README.md and docs/*.md working on the site,
and keep inline code from breaking where it would be misread.

Those files are written to be read in the source tree, where they link to
sections of the README and to files outside docs/. On the site, README anchors
live on the page that includes that part of the README, and source files are
not published, so their links become plain path names.

Browsers break code at hyphens (`-O3 -` / `march=native`, `2e-` / `16`) and,
with the theme's styles, anywhere in a long word. On the site inline code
breaks only at spaces and after a slash or a dot that starts a name, and short
code not at all; in the wrapped lines of code blocks, no word with a hyphen is
broken (docs/stylesheets/extra.css has the matching rules).
"""

import html
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

# Inline code as Markdown leaves it (block code lives in <pre> and carries highlighting spans).
PRE_BLOCK = re.compile(r"(<pre\b.*?</pre>)", re.DOTALL)
INLINE_CODE = re.compile(r"<code>([^<]*)</code>")
# Inline code this short (`v · M`) stays on one line.
SHORT_CODE = 16
# Where inline code may break besides spaces: after a slash, and after a dot that starts a name.
BREAK_AFTER = re.compile(r"(?<=/)|(?<=\w\.)(?=[A-Za-z_])")


def _breakable(token: str) -> str:
    """A token of inline code with line breaks allowed only after a slash or a
    dot before a name. A token with a hyphen is never broken at the hyphen:
    `-O3 -march=native` must not read as `-O3 -` and `march=native`."""
    pieces = [piece for piece in BREAK_AFTER.split(token) if piece]
    if "-" in token:
        pieces = [f'<span class="nobr">{piece}</span>' for piece in pieces]
    return "<wbr>".join(pieces)


def _inline_code(match: re.Match[str]) -> str:
    if len(match[1]) <= SHORT_CODE:
        return f'<code><span class="nobr">{match[1]}</span></code>'
    words = re.split(r"( +)", match[1])
    return "<code>" + "".join(w if w.isspace() or not w else _breakable(w) for w in words) + "</code>"


# In a code block: a tag, or a run of text without spaces that holds a hyphen
# (`2e-16`, `-1.0`, `-march=native`); longer runs (file names) may break.
TAG = re.compile(r"(<[^>]*>)")
HYPHENATED = re.compile(r"(?<![^\s<>])(?=[^\s<>]*-)[^\s<>]{1,24}(?![^\s<>])")


# A minus sign that the highlighter made a token of its own, with the token after it.
MINUS_TOKEN = re.compile(r'<span class="o">-</span><span class="[^"]*">[^<]*</span>')
# A dot or an opening parenthesis the highlighter made a token of its own: a long
# expression may break after it rather than inside a name.
PUNCTUATION_TOKEN = re.compile(r'<span class="[op]">[.(]</span>')


def _code_block(block: str) -> str:
    """Code blocks wrap long lines (extra.css): numbers, options and negated
    names (`-inf`) are kept whole, and an expression may break after a dot or
    an opening parenthesis."""
    block = MINUS_TOKEN.sub(lambda m: f'<span class="nobr">{m[0]}</span>', block)
    block = PUNCTUATION_TOKEN.sub(lambda m: m[0] + "<wbr>", block)
    parts = TAG.split(block)
    return "".join(
        part if i % 2 else HYPHENATED.sub(lambda m: f'<span class="nobr">{m[0]}</span>', part)
        for i, part in enumerate(parts)
    )


TABLE = re.compile(r"<table>(.*?)</table>", re.DOTALL)
HEADER_CELL = re.compile(r"<th(?:\s[^>]*)?>(.*?)</th>", re.DOTALL)
ROW = re.compile(r"<tr>(.*?)</tr>", re.DOTALL)
DATA_CELL = re.compile(r"<td(\s[^>]*)?>")


# Tables with a cell longer than this are shown as cards on a phone; tables of
# numbers fit as they are.
CARD_CELL = 32


def _labelled(table: re.Match[str]) -> str:
    """A table of long cells whose data cells carry their column's heading as
    `data-label`: on a phone, extra.css shows each row as a card of labelled
    cells."""
    body = table[1]
    cells = re.findall(r"<td[^>]*>(.*?)</td>", body, re.DOTALL)
    if all(len(re.sub(r"<[^>]*>", "", cell)) <= CARD_CELL for cell in cells):
        return table[0]
    labels = [html.escape(re.sub(r"<[^>]*>", "", cell).strip(), quote=True) for cell in HEADER_CELL.findall(body)]

    def row(match: re.Match[str]) -> str:
        cells = iter(labels)
        return "<tr>" + DATA_CELL.sub(lambda m: f'<td{m[1] or ""} data-label="{next(cells, "")}">', match[1]) + "</tr>"

    return "<table>" + ROW.sub(row, body) + "</table>"


def on_page_content(content: str, page: Page, **kwargs: Any) -> str:
    parts = PRE_BLOCK.split(TABLE.sub(_labelled, content))
    # Odd indices are the <pre> blocks the split kept.
    return "".join(_code_block(part) if i % 2 else INLINE_CODE.sub(_inline_code, part) for i, part in enumerate(parts))
