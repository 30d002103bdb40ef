#pragma once

// The roster of a class, as a learning platform exports it: one student per
// line, or CSV with a "name" column and optional "id" and "email" columns.
// Names are kept in NFC, as an archive made on a Mac may hold them decomposed.

#include <QList>
#include <QString>

namespace grading
{

struct RosterEntry {
    QString name;
    QString id;
    QString email;
};

// Reads the roster at `path` (a command-line argument). Returns false with a
// one-line reason when it cannot be read or names no student.
bool readRoster(const QString &path, QList<RosterEntry> &roster, QString &error);

// The name with case and accents folded: "Zoë" and "ZOE" fold alike.
QString foldedName(const QString &name);

// The entries a student's folder stands for: those whose id appears in the
// folder's name as a word of its own, else those named exactly so, else
// those whose names fold alike. One entry is a match; several are the
// candidates among which it cannot choose.
QList<qsizetype> rosterMatches(const QList<RosterEntry> &roster, const QString &folder);

} // namespace grading
