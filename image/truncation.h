// Telling a picture file that was cut short from a whole one. Qt's BMP, GIF and JPEG
// readers hand back a full-size picture with the missing part filled in and report no
// error, so a cut file would open and, saved back, lose its missing part for good.
#pragma once

#include <QByteArrayView>
#include <QString>

// False when the bytes are a BMP, GIF or JPEG file that ends before its picture data
// does: a BMP whose pixel data reaches past the end of the file (uncompressed) or starts
// beyond it (compressed); a GIF that ends before its trailer; a JPEG that ends before its
// end-of-image marker. True for every other file: PNG and the other formats are left to
// their readers, which fail on a short file themselves.
bool FileLooksComplete(QByteArrayView bytes);

// The same for the regular file at path, read without copying it into memory.
// False when the file cannot be read.
bool FileAtPathLooksComplete(const QString &path);
