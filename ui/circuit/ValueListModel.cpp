#include "circuit/ValueListModel.h"

ValueListModel::ValueListModel(riaa::ValueList& list, QObject* parent) : QAbstractListModel(parent), list_(list) {}

int ValueListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

QVariant ValueListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= list_.size()) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return QString::fromStdString(list_.text(static_cast<std::size_t>(index.row())));
}

void ValueListModel::insertTypedValue(std::string_view text, const riaa::NumberLocale& locale) {
    const auto position = riaa::TypedValuePosition(list_, text, locale);
    if (!position) return;
    const int row = static_cast<int>(*position);
    beginInsertRows({}, row, row);
    riaa::InsertTypedValue(list_, text, locale);
    inserted_.emplace_back(text);
    endInsertRows();
}

void ValueListModel::replaceList(riaa::ValueList list, std::vector<std::string> inserted) {
    beginResetModel();
    list_ = std::move(list);
    inserted_ = std::move(inserted);
    endResetModel();
}

void ValueListModel::announceRewrittenEntries() {
    if (list_.size() == 0) return;
    emit dataChanged(index(0), index(rowCount() - 1));
}
