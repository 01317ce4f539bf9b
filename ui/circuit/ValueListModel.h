// Shows one of the engine's value lists in a combo box, without a copy: an inserted entry appears at once.
#pragma once

#include <QAbstractListModel>
#include <string_view>

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

private:
    riaa::ValueList& list_;
};
