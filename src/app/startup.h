#pragma once

#include "app/services.h"
#include "data/datapaths.h"

#include <memory>

class FrmPelora;
class MessagePresenter;
struct StartupError;

// Opens the data of paths and builds the main window on it. When the data
// cannot be opened, tells the operator why through startupMessages (the
// services' presenter when null) and returns nothing; the files are left as
// they were.
std::unique_ptr<FrmPelora> startPelora(const DataPaths &paths, const Services &services,
                                       MessagePresenter *startupMessages = nullptr);

// The start-up failure as a dialog.
void showStartupError(const StartupError &error, MessagePresenter *presenter);
