# fish completion for chromet

set -l commands format nearest contrast export history pick help
set -l formats hex rgb hsl oklch swiftUI swiftUIP3 nsColor uiColor cssVariable tailwind

complete -c chromet -f
complete -c chromet -n "not __fish_seen_subcommand_from $commands" -a format -d 'Print a color as code'
complete -c chromet -n "not __fish_seen_subcommand_from $commands" -a nearest -d 'The nearest Tailwind color'
complete -c chromet -n "not __fish_seen_subcommand_from $commands" -a contrast -d 'WCAG and APCA contrast of two colors'
complete -c chromet -n "not __fish_seen_subcommand_from $commands" -a export -d 'A palette as source text'
complete -c chromet -n "not __fish_seen_subcommand_from $commands" -a history -d 'The recent colors'
complete -c chromet -n "not __fish_seen_subcommand_from $commands" -a pick -d 'Pick a color on screen'
complete -c chromet -n "not __fish_seen_subcommand_from $commands" -a help -d 'Show the commands'
complete -c chromet -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
complete -c chromet -l help -d 'Show the commands'

complete -c chromet -n "__fish_seen_subcommand_from format pick" -l as -x -a "$formats" -d Format
complete -c chromet -n "__fish_seen_subcommand_from format" -l name -x -d 'Name of the CSS variable'
complete -c chromet -n "__fish_seen_subcommand_from format" -l lowercase-hex -d 'Hexadecimal digits in lower case'
complete -c chromet -n "__fish_seen_subcommand_from format" -l label -d "The loupe's short text"
complete -c chromet -n "__fish_seen_subcommand_from format" -l p3 -x -d 'Display P3 channels R,G,B'
complete -c chromet -n "__fish_seen_subcommand_from export" -l palette -x -d 'Palette name or id'
complete -c chromet -n "__fish_seen_subcommand_from export" -l as -x -a "swift css tailwind" -d 'Source format'
complete -c chromet -n "__fish_seen_subcommand_from export" -l file-name -d 'Print the suggested file name'
complete -c chromet -n "__fish_seen_subcommand_from export history" -l library -r -F -d 'Library file'
complete -c chromet -n "__fish_seen_subcommand_from pick" -l print -d 'Wait and print the color'
