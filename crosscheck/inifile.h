// INI files as Python's configparser reads them with its defaults, since contest managers
// write their rules files for a tool that reads them that way: sections in brackets (names
// case-sensitive), "key = value" or "key: value" (keys case-insensitive), whole-line comments
// after '#' or ';', indented lines continuing a value, values from [DEFAULT] in every
// section, "%(key)s" and "%%" in values, and no section or key given twice.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace crosscheck {

struct IniValue {
    QString key; // in lower case
    QString value;
    qsizetype line = 0;
    bool inherited = false; // from [DEFAULT]
};

struct IniSection {
    QString name;
    qsizetype line = 0;
    std::vector<IniValue> values; // in the file's order, [DEFAULT]'s after the section's own

    const IniValue* find(QStringView key) const; // key in any case; none when absent
};

struct IniError {
    qsizetype line = 0; // 0: the file as a whole
    QString text;
};

struct IniFile {
    std::vector<IniSection> sections; // in the file's order, without [DEFAULT]
    std::optional<IniError> error;    // the first thing that cannot be read; sections empty then

    const IniSection* section(QStringView name) const;
};

IniFile ReadIniFile(QStringView text);

// configparser's booleans: 1, yes, true, on and 0, no, false, off, in any case.
std::optional<bool> IniBoolean(QStringView value);

} // namespace crosscheck
