#pragma once

class MainWindow;
class QApplication;

// End the program once its event loop has returned: destroy the window, then the application
// object, and return exitCode. A conversion or update still at work is neither stopped nor
// waited for: when the window left such a thread running, the process ends right after the
// window with exitCode (std::_Exit, output flushed), so no thread object is destroyed while
// its thread runs and no global object is torn down under it.
int finishProgram(QApplication* application, MainWindow* window, int exitCode);
