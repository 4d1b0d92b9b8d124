// The ADIF fields that make a QSO of the model, shared by the .adi and the .adx reader.
#pragma once

#include "contestlog.h"
#include "findinglist.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <array>

namespace contestlog {

enum class AdifField {
    Call,
    QsoDate,
    TimeOn,
    Mode,
    Submode,
    RstSent,
    RstRcvd,
    Stx,
    Srx,
    StxString,
    SrxString,
    Gridsquare,
    GridsquareExt,
    VuccGrids,
    MyGridsquare,
    MyGridsquareExt,
    StationCallsign,
    Operator,
    Band,
    Freq,
    Count, // not a field: the number of them
    Other = Count,
};

// The field a name stands for, in any case; Other for the hundreds the model does not hold.
AdifField AdifFieldOf(QByteArrayView name);
AdifField AdifFieldOf(QStringView name);

// One record's fields as they are collected, before they become a QSO: the bytes of each,
// in the file (.adi) or in the reader's copy (.adx, as UTF-8), decoded only where the model
// keeps text.
struct AdifRecord {
    std::array<QByteArrayView, size_t(AdifField::Count)> values;
    std::array<bool, size_t(AdifField::Count)> given{};
    bool utf8 = true; // the bytes are UTF-8, else Latin-1
    bool any = false; // any field at all, also one the model does not hold
    qsizetype line = 0;

    void set(AdifField field, QByteArrayView value) {
        values[size_t(field)] = value;
        given[size_t(field)] = true;
    }
    QByteArrayView operator[](AdifField field) const { return values[size_t(field)]; }
    bool has(AdifField field) const { return given[size_t(field)]; }
    QString text(AdifField field) const;
};

// The QSO a record gives, each thing it tolerated or could not read a finding (record
// `record`, starting on `record.line`).
Qso QsoFromAdif(const AdifRecord& fields, qsizetype record, FindingList& findings);

} // namespace contestlog
