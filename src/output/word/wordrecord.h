#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

// What a Word output reads, taken out of the datasets before anything is
// written: the record's fields and its list rows as texts, and the code
// tables that turn stored codes into names.  Plain values, so the bookmark
// texts can be computed (and tested) without tables or files.
namespace word {

// One row: field texts under their names in lower case.
class WordRow {
public:
    WordRow() = default;
    WordRow(std::initializer_list<std::pair<QString, QString>> fields)
    {
        for (const auto &f : fields)
            set(f.first, f.second);
    }
    void set(const QString &field, const QString &text) { m_fields.insert(field.toLower(), text); }
    QString operator[](const QString &field) const { return m_fields.value(field.toLower()); }
    bool isEmpty() const { return m_fields.isEmpty(); }

private:
    QHash<QString, QString> m_fields;
};

struct WordRecord {
    WordRow record;                // the achievement's own row (ITEM_..., TLinkMan..., patent_ty)
    QList<WordRow> organisations;  // cooperating organisations, in table order
    QList<WordRow> persons;        // completing persons, by ITEM_187
    QList<WordRow> committee;      // appraisal committee, by ITEM_194
    QList<WordRow> patents;        // patents of every status, in table order

    // "1" chooses the applied-technology family, anything else the
    // basic-theory and soft-science one.
    bool applied() const { return record[QStringLiteral("ITEM_CGLB")] == QLatin1String("1"); }
};

// The code tables the outputs look names up in.
class CodeTables {
public:
    // Dictionary (zdxx): key, code -> name.  The first row of a key and code wins.
    void addDict(const QString &key, const QString &code, const QString &name);
    void addProvince(const QString &code, const QString &name) { m_provinces.insert(code, name); }
    void addMinistry(const QString &code, const QString &name) { m_ministries.insert(code, name); }
    // The classification tables are optional in the data folder; without a
    // call to these they count as absent.
    void addSubject(const QString &code, const QString &name);
    void addLibraryClass(const QString &code, const QString &name);
    void markSubjectsPresent() { if (!m_subjects) m_subjects.emplace(); }
    void markLibraryPresent() { if (!m_library) m_library.emplace(); }

    QString dict(const QString &key, const QString &code) const;
    QString province(const QString &code) const { return m_provinces.value(code); }
    QString ministry(const QString &code) const { return m_ministries.value(code); }
    // nullopt when the table is absent.
    std::optional<QString> subject(const QString &code) const;
    std::optional<QString> libraryClass(const QString &code) const;

private:
    QHash<QString, QString> m_dict;
    QHash<QString, QString> m_provinces, m_ministries;
    std::optional<QHash<QString, QString>> m_subjects, m_library;
};

} // namespace word
