#pragma once

class QStyle;

// The platform's own style, with the icons the window never shows loaded only
// when something first draws them. A menu bar asks its style for the icon of
// its overflow button when it is built; the common style reads that icon from
// a PNG through Qt's image reader, and that reader first loads every
// image-format plugin installed (GIF, ICO, JPEG and their libraries), which
// costs start-up time and private memory for a button that appears only when
// the menus do not fit.
QStyle *makeAppStyle();
