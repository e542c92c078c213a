#pragma once
// The keyboard's whole picture kept on disk between runs, so that the
// window's first paint copies it instead of rendering 262 captions and the
// key tops, which is the largest part of a start-up.
//
// A kept picture is used only when everything its pixels come from is as it
// was: the program itself, Qt, the text libraries, the installed fonts and
// their configuration, the X server's font settings, the density and the
// picture's own state. Where the font settings cannot be read (any platform
// but X11) nothing is kept.

#include <QByteArray>
#include <QImage>

namespace KeyboardArt {
class KeyboardPicture;
}

namespace PictureCache {

// What the picture's pixels depend on, as bytes; empty when it cannot be
// told.
QByteArray key(const KeyboardArt::KeyboardPicture &picture, qreal dpr);

// Reads the picture kept for the key straight into the image, filling the
// area (device pixels) of an image whose opaque pixels are stored as RGB32.
// False when no picture of the area's size is kept for the key or it cannot
// be read whole; the area may then be partly written.
bool loadInto(const QByteArray &key, QImage &image, const QRect &area);

// Keeps the picture for the key, replacing what was kept.
void save(const QByteArray &key, const QImage &picture);

} // namespace PictureCache
