#pragma once

#include "app/services.h"
#include "data/datapaths.h"

#include <memory>
#include <optional>

class FrmPelora;
class MessagePresenter;
class OpenProgress;
class QSettings;
struct StartupError;

// Where the data is for this start (locateData), with the user's remembered
// choice in settings. When two folders hold data the operator picks one
// (naming both, with their sheets and last change), and the pick is
// remembered; when the chosen folder holds no data, the operator is told and
// may go back to where the data is without it (the choice is then forgotten).
// Nothing when the operator chose to end, or no one can be asked.
std::optional<DataPaths> settleDataFolder(const ProgramPlace &place, QSettings &settings,
                                          MessagePresenter *presenter,
                                          const DataPathProbes &probes = fileSystemProbes());

// Opens the data of paths and builds the main window on it. When the data
// cannot be opened, tells the operator why through startupMessages (the
// services' presenter when null) and returns nothing; the files are left as
// they were. A refusal that has a way forward (a copy to put back, a work
// file to make again, a lock of another computer) asks in the same dialog;
// "はい" takes it and starts, "いいえ" changes nothing. While the main file is
// checked or copied, progress is told how far it is (a ProgressDialog
// of its own when null), so that a long start shows a window within a
// fraction of a second.
std::unique_ptr<FrmPelora> startPelora(const DataPaths &paths, const Services &services,
                                       MessagePresenter *startupMessages = nullptr,
                                       OpenProgress *progress = nullptr);

// The start-up failure as a dialog.
void showStartupError(const StartupError &error, MessagePresenter *presenter);
