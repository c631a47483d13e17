#pragma once

#include "app/FormArchive.h"
#include "app/qt/QtFormView.h"

#include <QAbstractTableModel>
#include <memory>

class QChartView;
class QComboBox;
class QListWidget;
class QPushButton;
class QLabel;
class QLineEdit;
class QTableView;
class QTimer;

namespace ovena {

class QtUiServices;

// The archive's measurements as a Qt table model: a window onto the form's rows, which the form
// reads from the store a page at a time as the view asks for them.
class ArchiveTableModel : public QAbstractTableModel {
public:
    explicit ArchiveTableModel(TFormArchive& form) : form_(form) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The form's rows or columns changed: the view reads them anew.
    void reset();
    // The archive changed under the same filter and order: the rows shown move to where they
    // are now, so the selection and the current row stay with their measurements.
    void relayout();
    // Rows came from the server: the cells shown are read again.
    void cellsChanged();

private:
    TFormArchive& form_;
};

// The archive window: a resizable top-level window with the filters above the table.
class ArchiveView : public QtFormView {
public:
    ArchiveView(TFormArchive& form, QtUiServices& ui);
    ~ArchiveView() override;

    QWidget* widget() override;
    void refresh() override;

private:
    class Window;

    void filterEdited();
    void placeWindow();
    QWidget* buildChart(QWidget* parent);
    void rebuildChart();
    std::string writeChart(const std::string& path);

    TFormArchive& form_;
    std::unique_ptr<Window> window_;
    QLineEdit* customer_ = nullptr;
    QLineEdit* instrument_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QComboBox* fuel_ = nullptr;
    QLabel* count_ = nullptr;
    QTableView* table_ = nullptr;
    ArchiveTableModel* model_ = nullptr;
    QTimer* debounce_ = nullptr;
    QChartView* chartView_ = nullptr;
    QListWidget* chartFields_ = nullptr;
    QPushButton* saveChart_ = nullptr;
    QPushButton* export_ = nullptr;
    QComboBox* source_ = nullptr;
    QPushButton* sync_ = nullptr;
    QLabel* syncStatus_ = nullptr;
    QLabel* message_ = nullptr;
    int tableVersion_ = -1;
    int rowsVersion_ = -1;
    int pagesVersion_ = -1;
    int chartVersion_ = -1;
    bool placed_ = false;
};

} // namespace ovena
