#include "app/TPSKForm.h"

void TPSKForm::SetupDisplays() {}
