#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace quillcraft {

// One format of the clipboard's contents, kept exactly as its owner offered it
// so that it can be offered again unchanged.
struct ClipboardFormat {
    QString name; // the format (X11 target), e.g. "UTF8_STRING" or "image/png"
    QString type; // the type its data came back as; usually the same as name
    int unitBits = 8; // 8, 16 or 32: how the owner packed the data
    QByteArray data;

    friend bool operator==(const ClipboardFormat&, const ClipboardFormat&) = default;
};

// Everything the clipboard held, one entry per readable format; empty when it
// held nothing.
using ClipboardContents = QList<ClipboardFormat>;

} // namespace quillcraft
