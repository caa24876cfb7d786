# bash completion for chromet

_chromet() {
    local cur prev words cword
    _init_completion || return

    local formats="hex rgb hsl oklch swiftUI swiftUIP3 nsColor uiColor cssVariable tailwind"
    local commands="format nearest contrast export history pick help --help --version"

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return
    fi

    local command=${words[1]}
    case $prev in
        --as)
            if [[ $command == export ]]; then
                COMPREPLY=($(compgen -W "swift css tailwind" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$formats" -- "$cur"))
            fi
            return
            ;;
        --library)
            _filedir json
            return
            ;;
        --name | --p3 | --palette)
            return
            ;;
    esac

    local options
    case $command in
        format) options="--as --name --lowercase-hex --label --p3 --help" ;;
        nearest | contrast) options="--help" ;;
        export) options="--palette --as --library --file-name --help" ;;
        history) options="--library --help" ;;
        pick) options="--print --as --help" ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    fi
} &&
    complete -F _chromet chromet
