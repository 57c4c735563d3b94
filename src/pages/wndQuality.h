// Wizard page wndQuality; built on the toolkit's dialog once that exists.
#pragma once

class wndQuality {};
