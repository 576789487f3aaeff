#include "ui/calllog/call_log_model.h"

#include <QRegularExpression>
#include <string>

#include "ui/cp1251_text.h"

namespace tulvo {
namespace {

QString Caption(CallLogField field) {
    switch (field) {
        case CallLogField::N:
            return QStringLiteral("№ п.п.");
        case CallLogField::CallTypeStr:
            return QStringLiteral("Тип звонка");
        case CallLogField::IdOutStr:
            return QStringLiteral("Исходящий");
        case CallLogField::InTelNum:
            return QStringLiteral("Номер звонящего ");
        case CallLogField::IdInStr:
            return QStringLiteral("Входящий");
        case CallLogField::TelNum:
            return QStringLiteral("Набранный номер");
        case CallLogField::TimeConnect:
            return QStringLiteral("Время соед.");
        case CallLogField::Date:
            return QStringLiteral("Дата");
        case CallLogField::Time:
            return QStringLiteral("Время");
        case CallLogField::DeviceName:
            return QStringLiteral("Имя у-ва");
        default:
            return QString::fromLatin1(FieldInfo(field).name);
    }
}

}  // namespace

CallLogModel::CallLogModel(CallLogTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int CallLogModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || changing_) {
        return 0;
    }
    return static_cast<int>(filtering_ ? shown_.size() : table_.Size());
}

int CallLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

std::size_t CallLogModel::TableRow(int row) const {
    return filtering_ ? shown_[static_cast<std::size_t>(row)] : static_cast<std::size_t>(row);
}

QString CallLogModel::CellText(const CallLogRow& row, CallLogField field) {
    switch (FieldInfo(field).type) {
        case CallLogFieldType::AutoInc:
        case CallLogFieldType::Integer: {
            const auto value = row.Int(field);
            return value ? QString::number(*value) : QString();
        }
        case CallLogFieldType::String: {
            const auto value = row.Text(field);
            return value ? FromCp1251(*value) : QString();
        }
        case CallLogFieldType::Date: {
            const auto date = row.Date();
            return date ? QStringLiteral("%1.%2.%3")
                              .arg(date->day, 2, 10, QLatin1Char('0'))
                              .arg(date->month, 2, 10, QLatin1Char('0'))
                              .arg(date->year, 4, 10, QLatin1Char('0'))
                        : QString();
        }
        case CallLogFieldType::Time: {
            const auto time = row.TimeOf(field);
            return time ? QStringLiteral("%1:%2:%3")
                              .arg(time->Hours())
                              .arg(time->Minutes(), 2, 10, QLatin1Char('0'))
                              .arg(time->Seconds(), 2, 10, QLatin1Char('0'))
                        : QString();
        }
    }
    return {};
}

bool CallLogModel::SetCellText(CallLogRow& row, CallLogField field, const QString& text) {
    const QString trimmed = text.trimmed();
    switch (FieldInfo(field).type) {
        case CallLogFieldType::AutoInc:
        case CallLogFieldType::Integer: {
            if (trimmed.isEmpty()) {
                row.SetNull(field);
                return true;
            }
            bool ok = false;
            const int value = trimmed.toInt(&ok);
            if (ok) {
                row.SetInt(field, value);
            }
            return ok;
        }
        case CallLogFieldType::String:
            row.SetTextUtf8(field, text.toStdString());
            return true;
        case CallLogFieldType::Date: {
            if (trimmed.isEmpty()) {
                row.SetNull(field);
                return true;
            }
            static const QRegularExpression kDate(
                QStringLiteral(R"(^(\d{1,2})[./](\d{1,2})[./](\d{4})$)"));
            const auto match = kDate.match(trimmed);
            if (!match.hasMatch()) {
                return false;
            }
            const CallDate date{match.captured(3).toInt(), match.captured(2).toInt(),
                                match.captured(1).toInt()};
            if (date.month < 1 || date.month > 12 || date.day < 1 ||
                date.day > DaysInMonth(date.year, date.month)) {
                return false;
            }
            row.SetDate(date);
            return true;
        }
        case CallLogFieldType::Time: {
            if (trimmed.isEmpty()) {
                row.SetNull(field);
                return true;
            }
            static const QRegularExpression kTime(
                QStringLiteral(R"(^(\d{1,2}):(\d{1,2}):(\d{1,2})$)"));
            const auto match = kTime.match(trimmed);
            const int h = match.captured(1).toInt();
            const int m = match.captured(2).toInt();
            const int s = match.captured(3).toInt();
            if (!match.hasMatch() || h > 23 || m > 59 || s > 59) {
                return false;
            }
            row.SetTime(field, CallTime::Of(h, m, s));
            return true;
        }
    }
    return false;
}

QVariant CallLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    const CallLogRow& row = table_.Row(TableRow(index.row()));
    return CellText(row, kColumns[static_cast<std::size_t>(index.column())]);
}

QVariant CallLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return {};
    }
    return Caption(kColumns[static_cast<std::size_t>(section)]);
}

Qt::ItemFlags CallLogModel::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool CallLogModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) {
        return false;
    }
    const std::size_t tableRow = TableRow(index.row());
    const CallLogField field = kColumns[static_cast<std::size_t>(index.column())];
    CallLogRow changed = table_.Row(tableRow);
    if (!SetCellText(changed, field, value.toString())) {
        return false;
    }
    if (changed == table_.Row(tableRow)) {
        return true;
    }
    table_.SetRow(tableRow, changed);
    edited_ = true;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

void CallLogModel::Refilter() {
    shown_.clear();
    if (!filtering_) {
        shown_.shrink_to_fit();
        return;
    }
    for (std::size_t i = 0; i < table_.Size(); ++i) {
        if (filter_.Passes(table_.Row(i))) {
            shown_.push_back(static_cast<std::uint32_t>(i));
        }
    }
}

void CallLogModel::SetFilter(const CallLogFilter& filter) {
    beginResetModel();
    filter_ = filter;
    filtering_ = true;
    Refilter();
    endResetModel();
}

void CallLogModel::ClearFilter() {
    beginResetModel();
    filtering_ = false;
    Refilter();
    endResetModel();
}

std::function<bool(const CallLogRow&)> CallLogModel::ShownPredicate() const {
    if (!filtering_) {
        return [](const CallLogRow&) { return true; };
    }
    return [filter = filter_](const CallLogRow& row) { return filter.Passes(row); };
}

void CallLogModel::BeginTableChange() {
    beginResetModel();
    changing_ = true;
}

void CallLogModel::EndTableChange() {
    changing_ = false;
    Refilter();
    endResetModel();
}

}  // namespace tulvo
