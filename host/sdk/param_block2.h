#pragma once
// Parameter blocks: a class declares its parameters once in a block
// descriptor; each object then holds a block of values made from it, shown
// in rollouts; class descriptors create objects and open and close their
// rollouts. Plug-in code includes this one header for all of it.
#include "host/sdk/class_desc.h"
#include "host/sdk/param_block.h"
#include "host/sdk/param_block_desc.h"
#include "host/sdk/param_map.h"
