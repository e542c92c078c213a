#pragma once
// The pages of font files the program holds mapped. FreeType maps each font
// file whole and reads a glyph where it lies; the kernel then maps the 64 KiB
// of the file around each read into the program, so that a few hundred
// Chinese glyphs keep megabytes of the large Chinese fonts counted as the
// program's memory. Qt keeps every glyph it has drawn, rendered, apart from
// the file: the file's pages are needed again only to read a new glyph.

namespace FontPages {

// Unmaps the pages of the font files the program maps, read-only, from its
// memory. The files stay mapped and in the system's page cache: the next
// glyph read from a file maps its page again. Returns how many font file
// mappings were trimmed.
int release();

// Releases the pages once the window has been quiet for a second, with no
// key or mouse button pressed: after start-up, a text loaded or new lines
// shown, when the glyphs have been read, and never while the learner types.
void releaseSoon();

// Whether a release is waiting for the window to be quiet.
bool releasePending();

} // namespace FontPages
