'use strict';
// The phone simulator as a library for Node test scripts.
const { Phone, DEFAULTS, DEFAULT_CLIENT } = require('./phone');
const { Farm } = require('./farm');
const { FLAVOURS } = require('./shims/websocket');

module.exports = { Phone, Farm, DEFAULTS, DEFAULT_CLIENT, FLAVOURS };
