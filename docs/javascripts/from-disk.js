// Browsers do not let the search run on a page opened from disk (file://):
// say so where the search box would be, and how to get it.
if (location.protocol === "file:") {
  document.documentElement.classList.add("from-disk");
  const header = document.querySelector(".md-header__inner");
  if (header) {
    const note = document.createElement("div");
    note.className = "from-disk-note";
    note.title = "Browsers do not run the search on pages opened from disk";
    note.innerHTML = "Search: <code>make docs-serve</code>";
    header.appendChild(note);
  }
}
