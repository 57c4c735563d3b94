// Wizard page wndLicense; built on the toolkit's dialog once that exists.
#pragma once

class wndLicense {};
