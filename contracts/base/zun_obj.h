#pragma once

// Common base of the module's value classes. It is deliberately empty and
// not polymorphic: points, vertices and arrays are copied by the hundred
// thousand in display lists, and a vtable pointer would add a third to a
// point's size and forbid plain copies. Never delete through a CZunObj*.
class CZunObj {};
