#pragma once

// The real message boxes behind the presenter of messages.h: question,
// notice and error boxes on QMessageBox. The program makes them the default
// once its QApplication exists.
void UseMessageBoxes();
