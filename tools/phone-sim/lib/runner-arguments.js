'use strict';
// The command line of the programs that run another program beside them (phone-farm.js,
// echo-check.js): [--wine WINE_RUNNER] -- PROGRAM [ARGS...]. Without a program, prints the usage
// line and exits with status 2.

function parseRunnerArguments(argv, usage) {
    let wine = null;
    let i = 0;
    for (; i < argv.length; ++i) {
        if (argv[i] === '--wine') wine = argv[++i];
        else if (argv[i] === '--') {
            ++i;
            break;
        } else break;
    }
    const program = argv[i];
    if (!program) {
        process.stderr.write(`usage: ${usage}\n`);
        process.exit(2);
    }
    return { wine, program, args: argv.slice(i + 1) };
}

module.exports = { parseRunnerArguments };
