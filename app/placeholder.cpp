int korvex_placeholder;
