#pragma once
// The mesher's queue of active front vertices, ordered by (key, index).
class FrontQueue {};
