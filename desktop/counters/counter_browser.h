// CCounterBrowser: the "Select Counters" dialog the counters dialog opens from " Add...". It
// lists the objects of the local machine, or of a computer typed into it (an exporter host:
// "host", "host:port", "https://host:port"), then an object's counters and instances; several
// counters and instances may be chosen at once, or all instances. A filter narrows objects and
// counters as the user types, and the current counter's meaning is shown under the lists.
// Every press of Add calls the add callback once per chosen path, stopping at the first one it
// refuses. Reading a machine runs off the GUI thread (CatalogLoader) with a busy line that can
// be cancelled. GUI thread only; the provider must outlive the dialog.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/perf_data.h"
#include "desktop/counters/browse_catalog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace corvane::desktop {

class CatalogLoader;

class CCounterBrowser : public QDialog {
  Q_OBJECT

 public:
  // Takes one full path; false refuses it (the list is full) and ends the current Add.
  using AddCallback = std::function<bool(const std::string& path)>;

  CCounterBrowser(perf::Provider& provider, AddCallback add, bool include_costly, QWidget* parent);
  ~CCounterBrowser() override;

  // The paths the current choice gives, in the order Add passes them on.
  std::vector<std::string> ChosenPaths() const;
  // Whether a machine is being read now.
  bool Busy() const;
  // Reads the machine typed into the computer field (empty: this machine).
  void BrowseMachine();

 Q_SIGNALS:
  // A catalogue has been shown (or its failure reported): the lists can be used.
  void CatalogShown();

 private:
  QWidget* CreateMachineRow();
  QWidget* CreateBusyRow();
  QWidget* CreateLists();
  QWidget* CreateButtons();
  void ConnectSignals();

  void ShowCatalog(BrowseCatalog catalog);
  void CancelBrowse();
  void SetBusy(bool busy, const QString& what);
  void FillObjects();
  void FillItems();
  void UpdateDescription();
  void UpdateAddButton();
  void AddChosen();
  const BrowseObject* CurrentObject() const;
  void ShowMessage(const QString& text, bool error);

  perf::Provider& provider_;
  AddCallback add_;
  const bool include_costly_;
  CatalogLoader* loader_ = nullptr;
  BrowseCatalog catalog_;
  QString loading_machine_;

  QLineEdit* computer_edit_ = nullptr;
  QPushButton* connect_button_ = nullptr;
  QWidget* busy_row_ = nullptr;
  QProgressBar* busy_bar_ = nullptr;
  QLabel* busy_label_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
  QLineEdit* filter_edit_ = nullptr;
  QListWidget* object_list_ = nullptr;
  QListWidget* counter_list_ = nullptr;
  QRadioButton* all_instances_ = nullptr;
  QRadioButton* some_instances_ = nullptr;
  QListWidget* instance_list_ = nullptr;
  QLabel* description_ = nullptr;
  QLabel* message_ = nullptr;
  QPushButton* add_button_ = nullptr;
  QPushButton* close_button_ = nullptr;
};

}  // namespace corvane::desktop
