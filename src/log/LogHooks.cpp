#include "app/TPSKForm.h"

void TPSKForm::SetupLog() {}
