// Wizard page wndPlay; built on the toolkit's dialog once that exists.
#pragma once

class wndPlay {};
