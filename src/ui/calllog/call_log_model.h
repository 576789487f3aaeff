#pragma once

#include <QAbstractTableModel>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "calllog/call_log_filter.h"
#include "calllog/call_log_table.h"

namespace tulvo {

// The grid's model over the call-log table: one row per shown table row (all
// of them, or those that pass the filter while filtering is on), the columns
// in the window's order, every cell editable in place. Cells are converted
// only when the view asks for them, so a million rows cost one index each.
class CallLogModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // The columns, left to right; the four ID halves are hidden by the view.
    static constexpr std::array<CallLogField, 14> kColumns{
        CallLogField::N,           CallLogField::CallTypeStr, CallLogField::IdOutStr,
        CallLogField::InTelNum,    CallLogField::IdInStr,     CallLogField::TelNum,
        CallLogField::TimeConnect, CallLogField::Date,        CallLogField::IdCodInH,
        CallLogField::IdCodInL,    CallLogField::IdCodOutH,   CallLogField::IdCodOutL,
        CallLogField::Time,        CallLogField::DeviceName,
    };
    static bool IsHiddenColumn(int column) { return column >= 8 && column <= 11; }

    explicit CallLogModel(CallLogTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Filtering on with this filter, or off; every row is tested anew.
    void SetFilter(const CallLogFilter& filter);
    void ClearFilter();
    bool Filtering() const { return filtering_; }
    // The predicate of the rows shown (always true while filtering is off).
    std::function<bool(const CallLogRow&)> ShownPredicate() const;

    // Call around any change of the table made past the model. In between
    // the model shows no rows, so a message box shown meanwhile cannot make
    // the grid read a row that is gone.
    void BeginTableChange();
    void EndTableChange();

    // An edit in the grid since the last MarkSaved().
    bool Edited() const { return edited_; }
    void MarkSaved() { edited_ = false; }

    // The text a cell shows (also for tests).
    static QString CellText(const CallLogRow& row, CallLogField field);
    // Stores typed text into a field; false when it is no value of its type.
    static bool SetCellText(CallLogRow& row, CallLogField field, const QString& text);

  private:
    std::size_t TableRow(int row) const;
    void Refilter();

    CallLogTable& table_;
    bool filtering_ = false;
    CallLogFilter filter_;
    std::vector<std::uint32_t> shown_;  // table rows shown while filtering
    bool edited_ = false;
    bool changing_ = false;
};

}  // namespace tulvo
