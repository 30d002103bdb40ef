#pragma once

// A student of a class graded folder by folder: whom a submission belongs
// to, and what the roster says of them.

#include <QString>
#include <QtGlobal>

namespace grading
{

struct Student {
    // Whether the roster lists the student: no roster given, one entry, none,
    // or several entries that the folder matches alike.
    enum class OnRoster : quint8 { NoRoster, Yes, No, Ambiguous };

    QString name;   // as reports and feedback name the student
    QString folder; // the folder's name under the class folder; empty: none handed in
    QString id;     // from the roster; only for the teacher's reports
    QString email;  // from the roster; only for the teacher's reports
    OnRoster onRoster = OnRoster::NoRoster;
};

// "yes", "no" or "ambiguous", as CSV and JSON give it; empty without a roster.
const char *onRosterName(Student::OnRoster onRoster);

} // namespace grading
