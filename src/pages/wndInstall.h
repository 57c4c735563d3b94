// Wizard page wndInstall; built on the toolkit's dialog once that exists.
#pragma once

class wndInstall {};
