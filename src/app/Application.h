#pragma once
// The application-wide names and look, set once before the first window.

// Sets the organisation and application names (where QSettings and the
// desktop look for us) and the widget style. It deliberately leaves the
// application display name unset: Qt appends a set display name to every
// window and message box caption, and the program's captions are exact.
void SetUpApplication();
