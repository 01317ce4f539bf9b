// Shows one of the engine's value lists in a combo box, without a copy: an inserted entry appears at once.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ValueLists.h"

class ValueListModel : public QAbstractListModel {
    Q_OBJECT
public:
    ValueListModel(riaa::ValueList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The engine's insertion, announced to the views. Throws riaa::ConversionError for no number.
    void insertTypedValue(std::string_view text, const riaa::NumberLocale& locale);

    // The entries' texts were rewritten in place (the comma-locale conversion).
    void announceRewrittenEntries();

    // The typed values that joined the list, in the order they joined: what a design file keeps.
    const std::vector<std::string>& insertedEntries() const { return inserted_; }
    // The whole list at once (a design file's, or a new design's), with the entries typed into it.
    void replaceList(riaa::ValueList list, std::vector<std::string> inserted);
    const riaa::ValueList& list() const { return list_; }

private:
    riaa::ValueList& list_;
    std::vector<std::string> inserted_;
};
