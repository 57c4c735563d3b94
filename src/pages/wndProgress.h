// Wizard page wndProgress; built on the toolkit's dialog once that exists.
#pragma once

class wndProgress {};
