#include "app/TPSKForm.h"

void TPSKForm::SetupTracks() {}
