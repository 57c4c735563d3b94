// The finishing step. After an abandoned copy it only hands the wizard back to the welcome page.
#pragma once

void FinishInstall();
