function get__count(c){var i=-2;for(v in c)i++;return i}
