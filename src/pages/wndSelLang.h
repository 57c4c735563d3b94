// Wizard page wndSelLang; built on the toolkit's dialog once that exists.
#pragma once

class wndSelLang {};
